#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/object_model.h"
#include "cad/startup.h"
#include "ops/file_dialog.h"
#include "ops/progress.h"
#include "titleblock/fields.h"

// In-memory stand-ins for the CAD application, the dialog, the progress bar and the fields. They
// all write to one call log, so a test can check the order of everything an operation does.
namespace testing_support {

using Log = std::vector<std::string>;

std::string utf8(const std::u16string& s);

struct AttributeData {
    std::u16string tag;
    std::u16string value;
};

struct EntityData {
    std::u16string name;
    std::vector<AttributeData> attributes;  // only for block references
};

EntityData line();
EntityData insert(std::vector<AttributeData> attributes);

struct Drawing {
    std::vector<EntityData> modelSpace;
    std::vector<EntityData> savedModelSpace;  // what the file holds: updated by each save
    int saves = 0;
    bool readOnly = false;                         // save fails
    std::vector<std::vector<EntityData>> layouts;  // paper space, in tab order
    std::vector<std::vector<EntityData>> savedLayouts;
};

// The drawings the fake application can open, by full path, and the one that is active.
class Cad {
public:
    explicit Cad(Log& log) : log_(log) {}

    void addDrawing(const std::u16string& path, std::vector<EntityData> modelSpace);
    Drawing& drawing(const std::u16string& path) { return drawings.at(path); }

    // A connection as after a successful start-up; either reference may be dropped by the test.
    cad::Connection connect();

    Log& log() { return log_; }
    std::map<std::u16string, Drawing> drawings;
    // Each document object keeps speaking for the drawing that was active when it was handed
    // out, as in a CAD application that keeps several drawings open; otherwise every document
    // object speaks for the active drawing.
    bool documentPerDrawing = false;
    // The application hands a batch's workers further instances of their own, as the built-in
    // engine does: each has its own active drawing and logs its calls apart, where no test reads
    // them, since they come from the workers' threads.
    bool servesWorkers = false;
    // A drawing that cannot be opened fails only once this many opens have begun in any
    // instance (a slow share): the workers have taken up the drawings after it meanwhile.
    int failedOpenAwaits = 0;
    std::atomic<int> opensBegun = 0;

private:
    Log& log_;
};

// The files behind the fake application's drawings, all in one folder that keeps letter case
// unless told otherwise: a
// path leads to a file when the application has a drawing there, itself or as the target of one
// of `links`; a backup is NAME.bak, a drawing of the application too.
class Files : public cad::DrawingFiles {
public:
    explicit Files(Cad& cad) : cad_(cad) {}
    std::optional<FileId> fileAt(const std::u16string& path) const override;
    std::optional<EntryKey> entryAt(const std::u16string& path) const override;
    std::u16string backupPathOf(const std::u16string& path) const override;
    // The drawings of the fake CAD application whose names end in .dxf in the same folder.
    std::vector<std::u16string> drawingsBeside(const std::u16string& path) const override;
    // Swaps the drawing with its backup; fails as the engine does when either is missing.
    void restoreLastSave(const std::u16string& path) const override;
    std::map<std::u16string, std::u16string> links;  // link -> the drawing it leads to
    // The folder takes names in any letter case as one, and numbers each spelling of a file
    // apart, as exFAT through FUSE does.
    bool foldsCase = false;

private:
    Cad& cad_;
};

class Dialog : public ops::FileDialog {
public:
    Dialog(Log& log, std::u16string result) : log_(log), result_(std::move(result)) {}
    void showOpen() override;
    ops::DialogSettings seenAtShow;  // the settings in force when the dialog was shown

private:
    Log& log_;
    std::u16string result_;
};

class Bar : public ops::Progress {
public:
    explicit Bar(Log& log) : log_(log) {}
    void setMax(float max) override;
    void setValue(float value) override;
    float max = 100;
    float value = 0;

private:
    Log& log_;
};

class Form : public titleblock::Fields {
public:
    explicit Form(Log& log, const std::u16string& initial = u" ");
    std::u16string text(int field) const override;
    void setText(int field, const std::u16string& text) override;
    std::map<int, std::u16string> texts;

private:
    Log& log_;
};

}  // namespace testing_support
