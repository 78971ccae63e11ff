#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cad/win/dispatch.h"

namespace cad::automation {

// The documents the CAD application holds, as the client needs them around an open and a save:
// a drawing already open is used where it is rather than opened a second time (which would open
// it read-only, or fail), and where the program closes its own drawings
// (ConnectorOptions::closeOwnDrawings), the documents it opened itself are closed when done with.
class OpenDocuments {
public:
    OpenDocuments(Dispatch application, bool closeOwn);
    // Closes the program's own unchanged documents; a failure is passed over, as the program ends.
    ~OpenDocuments();
    OpenDocuments(const OpenDocuments&) = delete;
    OpenDocuments& operator=(const OpenDocuments&) = delete;

    // The document open at `path`, made the active one; nullopt when none is. Throws cad::Error
    // (errc::kUnsavedInCad) when that document has unsaved changes, which are its user's.
    std::optional<Dispatch> activateOpen(const std::u16string& path);
    // This program has just opened `path`.
    void opened(const std::u16string& path);
    // Closes, without saving again, each of the program's own documents that has no unsaved
    // changes: the saved ones and those only read. Called before each open, and at the end.
    void closeUnchanged();

private:
    struct Open {
        Dispatch document;
        std::u16string fullName;
    };
    std::vector<Open> documents() const;
    bool isOwn(const std::u16string& fullName) const;
    void close(const Dispatch& document, const std::u16string& fullName);

    Dispatch application_;
    bool closeOwn_;
    std::vector<std::u16string> own_;
};

}  // namespace cad::automation
