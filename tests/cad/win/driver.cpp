// Drives the CAD object model from the command line, step by step, and prints what it sees, so
// that a script can run the automation client against a CAD application and check the output.
//
//   zandrel-driver STEP...
//     attach     the automation client attaches to the running "AutoCAD.Application"
//     launch     the automation client launches one and makes it visible
//     startup    start-up through the platform's connector (automation first, then the engine)
//     open PATH  opens PATH through the active document
//     read       prints the active document's model space, with every block's attributes
//     item N     fetches model-space entity N
//     put        writes TAG<TAB>VALUE lines (UTF-8, standard input) into every matching attribute
//     save       saves the active document
//
// Output is UTF-8. The first failure prints "error 0xNNNNNNNN: description" and exits 1.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "cad/error.h"
#include "cad/platform_connector.h"
#include "cad/startup.h"
#include "cad/win/automation_connector.h"
#include "titleblock/fields.h"

namespace {

std::string utf8(std::u16string_view text) { return base::utf16ToUtf8(text); }

std::vector<std::u16string> arguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> list(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::u16string> result;
    for (int i = 1; i < count; ++i) result.emplace_back(reinterpret_cast<char16_t*>(list.get()[i]));
    return result;
}

class MapFields : public titleblock::Fields {
public:
    std::u16string text(int field) const override { return texts.at(field); }
    void setText(int field, const std::u16string& text) override { texts[field] = text; }
    std::map<int, std::u16string> texts;
};

// TAG<TAB>VALUE lines from standard input; a value keeps every space.
std::vector<std::pair<std::u16string, std::u16string>> valuesFromInput() {
    const std::string input(std::istreambuf_iterator<char>(std::cin), {});
    std::vector<std::pair<std::u16string, std::u16string>> values;
    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        std::string line = input.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos) {
            values.emplace_back(base::utf8ToUtf16(line.substr(0, tab)),
                                base::utf8ToUtf16(line.substr(tab + 1)));
        }
        start = end + 1;
    }
    return values;
}

class Driver {
public:
    // Runs the steps in order; false when a step's arguments are missing or unknown.
    bool run(const std::vector<std::u16string>& steps) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const std::u16string& step = steps[i];
            const bool takesArgument = step == u"open" || step == u"item";
            if (takesArgument && i + 1 == steps.size()) return false;
            if (step == u"attach") {
                app_ = automation_.attach(cad::kProgId);
                std::cout << "attach: ok\n";
            } else if (step == u"launch") {
                app_ = automation_.launch(cad::kProgId);
                app_->putVisible(true);
                std::cout << "launch: ok\n";
            } else if (step == u"startup") {
                startUp();
            } else if (step == u"open") {
                const std::u16string& path = steps[++i];
                document()->open(path);
                std::cout << "open " << utf8(path) << ": ok\n";
            } else if (step == u"read") {
                read();
            } else if (step == u"item") {
                const std::u16string& index = steps[++i];
                const auto entity = document()->modelSpace()->item(std::stoi(utf8(index)));
                std::cout << "item " << utf8(index) << ": " << utf8(entity->entityName()) << '\n';
            } else if (step == u"put") {
                put(valuesFromInput());
            } else if (step == u"save") {
                document()->save();
                std::cout << "save: ok\n";
            } else {
                return false;
            }
        }
        return true;
    }

private:
    std::shared_ptr<cad::Document> document() {
        if (!app_) throw cad::objectNotSet();
        return app_->activeDocument();
    }

    void startUp() {
        const auto connector = cad::makePlatformConnector();
        MapFields fields;
        const cad::Connection connection =
            cad::startUp(*connector, fields, [](const std::u16string& message) {
                std::cout << "message: " << utf8(message) << '\n';
            });
        app_ = connection.AcadApp;
        std::cout << "startup: application " << (app_ ? "yes" : "no") << ", document "
                  << (connection.acadDoc ? "yes" : "no") << ", fields " << fields.texts.size()
                  << '\n';
    }

    void read() {
        const auto modelSpace = document()->modelSpace();
        const std::int32_t count = modelSpace->count();
        std::cout << "model space: " << count << " entities\n";
        for (std::int32_t i = 0; i < count; ++i) {
            const auto entity = modelSpace->item(i);
            const std::u16string name = entity->entityName();
            std::cout << "entity " << i << ": " << utf8(name) << '\n';
            if (name != cad::kBlockReferenceName) continue;
            const cad::AttributeArray attributes = entity->asBlockReference()->getAttributes();
            std::cout << "  attributes " << attributes.lowerBound() << ".."
                      << attributes.upperBound() << '\n';
            for (std::int32_t a = attributes.lowerBound(); a <= attributes.upperBound(); ++a) {
                const auto& attribute = attributes.at(a);
                std::cout << "  " << utf8(attribute->tagString()) << "=\""
                          << utf8(attribute->textString()) << "\"\n";
            }
        }
    }

    void put(const std::vector<std::pair<std::u16string, std::u16string>>& values) {
        const auto modelSpace = document()->modelSpace();
        std::map<std::u16string, int> written;
        const std::int32_t count = modelSpace->count();
        for (std::int32_t i = 0; i < count; ++i) {
            const auto entity = modelSpace->item(i);
            if (entity->entityName() != cad::kBlockReferenceName) continue;
            const cad::AttributeArray attributes = entity->asBlockReference()->getAttributes();
            for (std::int32_t a = attributes.lowerBound(); a <= attributes.upperBound(); ++a) {
                const auto& attribute = attributes.at(a);
                const std::u16string tag = attribute->tagString();
                for (const auto& [wanted, value] : values) {
                    if (tag != wanted) continue;
                    attribute->putTextString(value);
                    ++written[tag];
                }
            }
        }
        for (const auto& [tag, value] : values) {
            std::cout << "put " << utf8(tag) << ": " << written[tag] << " attributes\n";
        }
    }

    cad::automation::AutomationConnector automation_;
    std::shared_ptr<cad::Application> app_;
};

}  // namespace

int main() {
    // UTF-8 bytes in and out, with LF line ends, whatever the console's code page.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    const std::vector<std::u16string> steps = arguments();
    try {
        Driver driver;
        if (steps.empty() || !driver.run(steps)) {
            std::cerr << "usage: zandrel-driver (attach|launch|startup|open PATH|read|item N|put|"
                         "save)...\n";
            return 2;
        }
    } catch (const cad::Error& e) {
        char number[16];
        std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(e.number()));
        std::cout << "error " << number << ": " << e.what() << '\n';
        return 1;
    } catch (const std::invalid_argument&) {  // an index that is not a number
        std::cerr << "zandrel-driver: item takes a number\n";
        return 2;
    }
    return 0;
}
