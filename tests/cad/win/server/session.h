#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace server {

struct AttributeData {
    std::wstring tag;
    std::wstring text;
};

struct EntityData {
    std::wstring name;
    long lowerBound = 0;  // where GetAttributes starts counting, to prove bounds are honoured
    std::vector<AttributeData> attributes;
};

using Entities = std::vector<EntityData>;

// A paper-space layout: where its tab stands, and the entities of its block.
struct PaperLayout {
    std::int32_t tabOrder = 0;
    Entities entities;
};

// Model space, then the paper-space layouts as the drawing lists them (not in tab order).
struct Spaces {
    Entities modelSpace;
    std::vector<PaperLayout> layouts;

    // 0 for model space, else layouts[space - 1].
    Entities& space(std::size_t space) {
        return space == 0 ? modelSpace : layouts.at(space - 1).entities;
    }
};

// A drawing as the application holds it while it is open: a working copy of the file.
struct OpenDrawing {
    std::wstring path;
    Spaces spaces;
    bool readOnly = false;  // opened from a read-only file
    bool modified = false;  // changed since it was opened or saved
};

// Appends what the application is asked to do, one UTF-8 line at a time, so that a script can
// check it after the server is gone. With an empty path it keeps nothing.
class Journal {
public:
    explicit Journal(std::wstring path = {}) : path_(std::move(path)) {}
    void write(const std::wstring& line) const;

private:
    std::wstring path_;
};

// The application's state: the drawings on its pretend disk and its open documents, one of them
// the active one. What a client asks is written to the journal; a line that changes the open
// documents ends with how many are open.
class Session {
public:
    // Starts with the sample drawings on disk and the first of them open and active.
    explicit Session(Journal journal);

    const std::shared_ptr<OpenDrawing>& active() const { return active_; }
    const std::vector<std::shared_ptr<OpenDrawing>>& documents() const { return documents_; }

    // Opens a fresh copy of the file as a new document, the active one. A drawing open already
    // is refused, as a CAD application opens it a second time at most read-only; a missing file
    // raises a Fault naming no file.
    const std::shared_ptr<OpenDrawing>& open(const std::wstring& path);
    // A document the user opened before any client came, with unsaved changes when `modified`.
    void holdOpen(const std::wstring& path, bool modified);
    void activate(const std::shared_ptr<OpenDrawing>& drawing);
    // Writes the drawing back to its file. One opened read-only is not written, and as some CAD
    // applications do, the save says nothing of it.
    void save(OpenDrawing& drawing);
    // Closes the document, dropping unsaved changes; the last one opened becomes the active one.
    void close(const std::shared_ptr<OpenDrawing>& drawing);

    const Journal& journal() const { return journal_; }
    bool visible = false;

private:
    struct File {
        Spaces spaces;
        bool readOnly;
    };

    const std::shared_ptr<OpenDrawing>& load(const std::wstring& path);
    std::wstring openCount() const;

    Journal journal_;
    std::map<std::wstring, File> files_;
    std::vector<std::shared_ptr<OpenDrawing>> documents_;
    std::shared_ptr<OpenDrawing> active_;
};

}  // namespace server
