// A scripted stand-in for the CAD application, for the automation client's tests only. It
// publishes the same object model in memory (see session.h) under a CAD application's ProgID
// (AutoCAD.Application unless another is given) and is reached in the two ways the client knows:
//   zandrel-test-server [PROGID] -Embedding  started by COM for CoCreateInstance (LocalServer32);
//                                            ends when released;
//   zandrel-test-server -Running [PROGID]    registers itself as the running instance for
//                                            GetActiveObject; runs until killed.
// What it is asked to do goes to journal.txt beside the executable. How it behaves is switched
// by scenario.txt there, when there is one: a "KEYWORD ARGUMENT" a line,
//   busy-filter N   its message filter turns the first N incoming calls away
//   busy-invoke N   Invoke turns the first N calls away
//   open PATH       PATH is open before any client comes, unchanged
//   modified PATH   the same, with changes its user has not saved
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cad/win/permanent.h"
#include "server/busy.h"
#include "server/lifetime.h"
#include "server/objects.h"
#include "server/session.h"

namespace {

std::wstring besideThisProgram(const wchar_t* name) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::wstring fromUtf8(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// Plays scenario.txt (see the top of this file) on `session`.
void playScenario(server::Session& session, const server::Journal& journal) {
    std::ifstream file(std::filesystem::path(besideThisProgram(L"scenario.txt")), std::ios::binary);
    const std::wstring text = fromUtf8({std::istreambuf_iterator<char>(file), {}});
    int byFilter = 0;
    int byInvoke = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        const std::size_t space = line.find(L' ');
        const std::wstring keyword = line.substr(0, space);
        const std::wstring argument = space == std::wstring::npos ? L"" : line.substr(space + 1);
        if (keyword == L"busy-filter") byFilter = std::stoi(argument);
        if (keyword == L"busy-invoke") byInvoke = std::stoi(argument);
        if (keyword == L"open" || keyword == L"modified") {
            session.holdOpen(argument, keyword == L"modified");
        }
    }
    server::turnAwayFirstCalls(journal, byFilter, byInvoke);
    if (byFilter > 0) CoRegisterMessageFilter(server::busyMessageFilter(), nullptr);
}

// Hands out one application per process: REGCLS_SINGLEUSE makes COM start a new process for
// the next client, as launching a CAD application does.
class Factory : public cad::automation::Permanent<IClassFactory> {
public:
    explicit Factory(std::shared_ptr<server::Session> session)
        : Permanent(IID_IClassFactory), session_(std::move(session)) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        IDispatch* application = server::newApplication(session_);
        const HRESULT hr = application->QueryInterface(iid, object);
        application->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            server::objectCreated();
        } else {
            server::objectDestroyed();
        }
        return S_OK;
    }

private:
    std::shared_ptr<server::Session> session_;
};

void pumpMessages() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int serveEmbedded(const CLSID& serverClass, const std::shared_ptr<server::Session>& session) {
    Factory factory(session);
    DWORD cookie = 0;
    const HRESULT hr = CoRegisterClassObject(serverClass, &factory, CLSCTX_LOCAL_SERVER,
                                             REGCLS_SINGLEUSE, &cookie);
    if (FAILED(hr)) return 1;
    server::endWhenNoObjectsLeft();
    pumpMessages();
    CoRevokeClassObject(cookie);
    return 0;
}

int serveRunning(const CLSID& serverClass, const std::shared_ptr<server::Session>& session) {
    IDispatch* application = server::newApplication(session);
    DWORD cookie = 0;
    const HRESULT hr = RegisterActiveObject(application, serverClass, ACTIVEOBJECT_STRONG, &cookie);
    application->Release();
    if (FAILED(hr)) return 1;
    std::puts("ready");
    std::fflush(stdout);
    pumpMessages();
    return 0;
}

std::vector<std::wstring> arguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> list(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    return {list.get() + 1, list.get() + count};
}

}  // namespace

int main() {
    bool embedded = false;
    bool running = false;
    std::wstring progId = L"AutoCAD.Application";
    for (const std::wstring& argument : arguments()) {
        if (_wcsicmp(argument.c_str(), L"-Embedding") == 0 ||
            _wcsicmp(argument.c_str(), L"/Embedding") == 0) {
            embedded = true;
        } else if (argument == L"-Running") {
            running = true;
        } else {
            progId = argument;
        }
    }
    if (embedded == running) {
        std::fputs("usage: zandrel-test-server [PROGID] -Embedding | -Running [PROGID]\n", stderr);
        return 2;
    }
    CLSID serverClass{};
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ||
        FAILED(CLSIDFromProgID(progId.c_str(), &serverClass))) {
        return 1;
    }
    const server::Journal journal(besideThisProgram(L"journal.txt"));
    journal.write((embedded ? L"launched " : L"running ") + progId);
    const auto session = std::make_shared<server::Session>(journal);
    playScenario(*session, journal);
    const int status =
        embedded ? serveEmbedded(serverClass, session) : serveRunning(serverClass, session);
    CoUninitialize();
    return status;
}
