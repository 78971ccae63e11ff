#pragma once

#include <functional>
#include <memory>
#include <string>

#include "cad/object_model.h"
#include "titleblock/fields.h"

namespace cad {

// What the main window keeps for its whole life after start-up. Either may be empty.
struct Connection {
    std::shared_ptr<Application> AcadApp;
    std::shared_ptr<Document> acadDoc;
};

// Shows a message with one OK button and waits until it is dismissed.
using MessageSink = std::function<void(const std::u16string& text)>;

// Attaches to the running CAD application or launches one, takes its active document and sets
// every field to one space. Only a failed launch or a failed Visible put is reported (through
// `message`), and then start-up ends early with the fields untouched; every other failure is
// passed over. A launch that a stand-in answered is reported too (the launch failure, then what
// stands in), and start-up goes on with the stand-in; so is another CAD application reached in
// place of the one asked for.
Connection startUp(Connector& connector, titleblock::Fields& fields, const MessageSink& message);

}  // namespace cad
