#pragma once

#include <windows.h>

#include <oaidl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace server {

// What a member raises. With a description it travels as DISP_E_EXCEPTION and an EXCEPINFO
// whose scode is `hr`; without one, Invoke returns `hr` itself.
struct Fault {
    HRESULT hr;
    std::wstring description;
};

// An IDispatch that answers to a fixed table of member names, without a type library, the way
// the CAD application's objects answer late-bound calls. DISPIDs are table positions from 1.
class ScriptedDispatch : public IDispatch {
public:
    using Handler = std::function<void(const DISPPARAMS& parameters, VARIANT* result)>;
    // A method or property: `get` answers a method call or property get (late binding sends
    // both flags at once), `put` a property put; a member without `put` is read-only.
    struct Member {
        std::wstring name;
        Handler get;
        Handler put = nullptr;
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override;

protected:
    explicit ScriptedDispatch(std::vector<Member> members);
    virtual ~ScriptedDispatch();

private:
    std::atomic<ULONG> references_{1};
    std::vector<Member> members_;
};

// Arguments, checked as strictly as a typed member would be. `position` counts from the first
// declared argument; a wrong count or type raises DISP_E_BADPARAMCOUNT or DISP_E_TYPEMISMATCH.
void expectArguments(const DISPPARAMS& parameters, UINT count);
bool byReference(const DISPPARAMS& parameters, UINT position);
std::int32_t int32Argument(const DISPPARAMS& parameters, UINT position);
bool boolArgument(const DISPPARAMS& parameters, UINT position);
// Only a real BSTR is accepted, as a typed BSTR parameter would be.
std::wstring bstrArgument(const DISPPARAMS& parameters, UINT position);

// Results; a caller that asked for none gets none.
void setString(VARIANT* result, const std::wstring& text);
void setInt32(VARIANT* result, std::int32_t value);
void setBool(VARIANT* result, bool value);
void setObject(VARIANT* result, IDispatch* object);  // takes over the caller's reference

}  // namespace server
