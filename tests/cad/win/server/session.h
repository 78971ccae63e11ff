#pragma once

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

// A drawing as the application holds it while it is open: a working copy of the file.
struct OpenDrawing {
    std::wstring path;
    Entities entities;
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

// The application's state: the drawings on its pretend disk and the one open drawing.
class Session {
public:
    // Starts with the sample drawings on disk and the first of them open.
    explicit Session(Journal journal);

    const std::shared_ptr<OpenDrawing>& active() const { return active_; }
    // Replaces the open drawing with a fresh copy of the file; unsaved changes are dropped.
    // Raises a Fault naming no file when there is none at `path`.
    const std::shared_ptr<OpenDrawing>& open(const std::wstring& path);
    // Writes the drawing back to its file; a read-only file raises E_ACCESSDENIED.
    void save(const OpenDrawing& drawing);

    const Journal& journal() const { return journal_; }
    bool visible = false;

private:
    struct File {
        Entities entities;
        bool readOnly;
    };

    Journal journal_;
    std::map<std::wstring, File> files_;
    std::shared_ptr<OpenDrawing> active_;
};

}  // namespace server
