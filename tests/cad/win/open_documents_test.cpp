// The documents a CAD application holds, against the scripted objects in process: a drawing open
// already is used where it is, its user's unsaved changes are never saved with it, a read-only
// drawing is not saved, the command line closes what it opened and a busy application's calls
// are made again. What the application was asked shows in its journal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/unicode.h"
#include "cad/error.h"
#include "cad/win/automation_objects.h"
#include "server/busy.h"
#include "server/objects.h"

namespace cad::automation {
namespace {

const std::u16string kOne = u"C:\\drawings\\批量 一.dwg";
const std::u16string kTwo = u"C:\\drawings\\批量 二.dwg";
const std::u16string kThree = u"C:\\drawings\\批量 三.dwg";
const std::u16string kReadOnly = u"C:\\drawings\\b.dwg";

void open(Application& app, const std::u16string& path) { app.activeDocument()->open(path); }

void save(Application& app) { app.activeDocument()->save(); }

// Writes into the first attribute of the active drawing's first entity, a title block.
void change(Application& app) {
    app.activeDocument()
        ->modelSpace()
        ->item(0)
        ->asBlockReference()
        ->getAttributes()
        .at(0)
        ->putTextString(u"新");
}

struct Case {
    const char* name;
    std::vector<std::pair<std::u16string, bool>> openBefore;  // the user's: path, changed
    int busyInvokes;                                          // calls Invoke turns away first
    bool closeOwn;
    std::function<void(Application&)> steps;
    std::vector<std::u16string> journal;  // after the application was let go
    std::int32_t failure;                 // the number the steps fail with; 0: none
};

std::vector<std::u16string> linesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::u16string text = base::utf8ToUtf16(bytes);
    std::vector<std::u16string> lines;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find(u'\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST(OpenDocuments, UsesWhatIsOpenSavesNoUsersChangesAndClosesWhatTheProgramOpened) {
    const std::vector<Case> cases = {
        {"a drawing open already is made active, not opened again",
         {{kTwo, false}},
         0,
         false,
         [](Application& app) {
             open(app, kTwo);
             change(app);
             save(app);
         },
         {u"activate " + kTwo, u"put " + kTwo + u" 产品代号=\"新\"", u"save " + kTwo},
         0},
        {"found however its path is spelt",
         {{kTwo, false}},
         0,
         false,
         [](Application& app) { open(app, u"c:\\DRAWINGS\\.\\批量 二.DWG"); },
         {u"activate " + kTwo},
         0},
        {"its user's unsaved changes fail the drawing before anything is written",
         {{kTwo, true}},
         0,
         false,
         [](Application& app) { open(app, kTwo); },
         {},
         errc::kUnsavedInCad},
        {"a drawing opened read-only is not saved",
         {},
         0,
         false,
         [](Application& app) {
             open(app, kReadOnly);
             save(app);
         },
         {u"open " + kReadOnly + u" read-only, 2 open"},
         errc::kAccessDenied},
        {"the window leaves open what it opened",
         {},
         0,
         false,
         [](Application& app) {
             open(app, kOne);
             save(app);
             open(app, kThree);
         },
         {u"open " + kOne + u", 2 open", u"save " + kOne, u"open " + kThree + u", 3 open"},
         0},
        {"the command line closes what it opened: once saved, once done with, at the end",
         {},
         0,
         true,
         [](Application& app) {
             open(app, kOne);
             change(app);
             save(app);
             open(app, kTwo);
             open(app, kThree);
         },
         {u"open " + kOne + u", 2 open", u"put " + kOne + u" 产品代号=\"新\"", u"save " + kOne,
          u"close " + kOne + u", 1 open", u"open " + kTwo + u", 2 open",
          u"close " + kTwo + u", 1 open", u"open " + kThree + u", 2 open",
          u"close " + kThree + u", 1 open"},
         0},
        {"but not one open before, nor one left with unsaved changes",
         {{kThree, false}},
         0,
         true,
         [](Application& app) {
             open(app, kThree);
             save(app);
             open(app, kOne);
             change(app);
         },
         {u"activate " + kThree, u"save " + kThree, u"open " + kOne + u", 3 open",
          u"put " + kOne + u" 产品代号=\"新\""},
         0},
        {"a busy application's calls are made again",
         {},
         2,
         false,
         [](Application& app) { open(app, kOne); },
         {u"busy: Invoke answers RPC_E_CALL_REJECTED", u"busy: Invoke answers RPC_E_CALL_REJECTED",
          u"open " + kOne + u", 2 open"},
         0},
    };
    const auto journalFile = std::filesystem::temp_directory_path() / "zandrel-open-documents.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(journalFile);
        const server::Journal journal(journalFile.wstring());
        auto session = std::make_shared<server::Session>(journal);
        for (const auto& [path, changed] : c.openBefore) {
            session->holdOpen(std::wstring(path.begin(), path.end()), changed);
        }
        server::turnAwayFirstCalls(journal, 0, c.busyInvokes);
        Microsoft::WRL::ComPtr<IDispatch> object;
        object.Attach(server::newApplication(session));
        auto app =
            makeApplication(Dispatch(object, std::make_shared<const ComApartment>()), c.closeOwn);
        std::int32_t failure = 0;
        try {
            c.steps(*app);
        } catch (const Error& e) {
            failure = e.number();
        }
        app.reset();  // the end of the program: what it opened and is done with closes
        EXPECT_EQ(failure, c.failure);
        const std::vector<std::u16string> lines = linesOf(journalFile);
        std::string shown;
        for (const auto& line : lines) shown += base::utf16ToUtf8(line) + "\n";
        EXPECT_EQ(lines, c.journal) << "the journal:\n" << shown;
    }
}

}  // namespace
}  // namespace cad::automation
