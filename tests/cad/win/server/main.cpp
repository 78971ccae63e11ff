// A scripted stand-in for the CAD application, for the automation client's tests only. It
// publishes the same object model in memory (see session.h) and is reached in the two ways the
// client knows:
//   -Embedding  started by COM for CoCreateInstance (LocalServer32); ends when released;
//   -Running    registers itself as the running instance for GetActiveObject; runs until killed.
// What it is asked to do goes to journal.txt beside the executable.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "server/lifetime.h"
#include "server/objects.h"
#include "server/session.h"

namespace {

// The test server's own class, registered under the CAD application's ProgID (server.reg).
constexpr CLSID kServerClass = {
    0x0F0672EA, 0xC2BC, 0x47F3, {0xB3, 0x07, 0x0D, 0x7F, 0xCD, 0x4E, 0x2C, 0x27}};

std::wstring journalPath() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"journal.txt";
}

// Hands out one application per process: REGCLS_SINGLEUSE makes COM start a new process for
// the next client, as launching a CAD application does.
class Factory : public IClassFactory {
public:
    explicit Factory(std::shared_ptr<server::Session> session) : session_(std::move(session)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of main for the whole run.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

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

int serveEmbedded(const std::shared_ptr<server::Session>& session) {
    Factory factory(session);
    DWORD cookie = 0;
    const HRESULT hr = CoRegisterClassObject(kServerClass, &factory, CLSCTX_LOCAL_SERVER,
                                             REGCLS_SINGLEUSE, &cookie);
    if (FAILED(hr)) return 1;
    server::endWhenNoObjectsLeft();
    pumpMessages();
    CoRevokeClassObject(cookie);
    return 0;
}

int serveRunning(const std::shared_ptr<server::Session>& session) {
    IDispatch* application = server::newApplication(session);
    DWORD cookie = 0;
    const HRESULT hr =
        RegisterActiveObject(application, kServerClass, ACTIVEOBJECT_STRONG, &cookie);
    application->Release();
    if (FAILED(hr)) return 1;
    std::puts("ready");
    std::fflush(stdout);
    pumpMessages();
    return 0;
}

std::wstring firstArgument() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    return count > 1 ? arguments.get()[1] : L"";
}

}  // namespace

int main() {
    const std::wstring mode = firstArgument();
    const bool embedded =
        _wcsicmp(mode.c_str(), L"-Embedding") == 0 || _wcsicmp(mode.c_str(), L"/Embedding") == 0;
    if (!embedded && mode != L"-Running") {
        std::fputs("usage: zandrel-test-server -Embedding | -Running\n", stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const server::Journal journal(journalPath());
    journal.write(embedded ? L"launched" : L"running");
    const auto session = std::make_shared<server::Session>(journal);
    const int status = embedded ? serveEmbedded(session) : serveRunning(session);
    CoUninitialize();
    return status;
}
