#include "server/scripted_dispatch.h"

#include <oleauto.h>

#include <exception>

#include "server/busy.h"
#include "server/lifetime.h"

namespace server {

ScriptedDispatch::ScriptedDispatch(std::vector<Member> members) : members_(std::move(members)) {
    objectCreated();
}

ScriptedDispatch::~ScriptedDispatch() { objectDestroyed(); }

HRESULT ScriptedDispatch::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ScriptedDispatch::AddRef() { return ++references_; }

ULONG ScriptedDispatch::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT ScriptedDispatch::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT ScriptedDispatch::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

HRESULT ScriptedDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    HRESULT hr = S_OK;
    for (UINT n = 0; n < count; ++n) {
        ids[n] = DISPID_UNKNOWN;
        // Names are not case-sensitive in automation.
        for (std::size_t m = 0; m < members_.size(); ++m) {
            if (_wcsicmp(names[n], members_[m].name.c_str()) == 0) {
                ids[n] = static_cast<DISPID>(m + 1);
            }
        }
        if (ids[n] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT ScriptedDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                 VARIANT* result, EXCEPINFO* exception, UINT*) {
    if (turnsAwayInvoke()) return RPC_E_CALL_REJECTED;
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    if (parameters == nullptr) return E_POINTER;
    const Member& member = members_[static_cast<std::size_t>(id - 1)];
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    const Handler& handler = put ? member.put : member.get;
    if (!handler) return DISP_E_MEMBERNOTFOUND;
    // A put names its value DISPID_PROPERTYPUT; nothing else takes named arguments here.
    const bool namedPut =
        parameters->cNamedArgs == 1 && parameters->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (put ? !namedPut : parameters->cNamedArgs != 0) return DISP_E_PARAMNOTFOUND;
    if (result != nullptr) VariantInit(result);
    try {
        handler(*parameters, result);
        return S_OK;
    } catch (const Fault& fault) {
        if (fault.description.empty() || exception == nullptr) return fault.hr;
        *exception = EXCEPINFO{};
        exception->scode = fault.hr;
        exception->bstrSource = SysAllocString(L"Zandrel scripted test server");
        exception->bstrDescription = SysAllocString(fault.description.c_str());
        return DISP_E_EXCEPTION;
    } catch (const std::exception&) {  // nothing may leave a COM method
        return E_FAIL;
    }
}

void expectArguments(const DISPPARAMS& parameters, UINT count) {
    if (parameters.cArgs != count) throw Fault{DISP_E_BADPARAMCOUNT, {}};
}

namespace {

// Arguments arrive last to first.
const VARIANT& argument(const DISPPARAMS& parameters, UINT position) {
    return parameters.rgvarg[parameters.cArgs - 1 - position];
}

// The argument by value, by-reference forms followed, coerced to `type`.
void coerced(const DISPPARAMS& parameters, UINT position, VARTYPE type, VARIANT& out) {
    VariantInit(&out);
    VARIANT direct;
    VariantInit(&direct);
    HRESULT hr = VariantCopyInd(&direct, const_cast<VARIANT*>(&argument(parameters, position)));
    if (SUCCEEDED(hr)) hr = VariantChangeType(&out, &direct, 0, type);
    VariantClear(&direct);
    if (FAILED(hr)) throw Fault{DISP_E_TYPEMISMATCH, {}};
}

}  // namespace

bool byReference(const DISPPARAMS& parameters, UINT position) {
    return (argument(parameters, position).vt & VT_BYREF) != 0;
}

std::int32_t int32Argument(const DISPPARAMS& parameters, UINT position) {
    VARIANT value;
    coerced(parameters, position, VT_I4, value);
    return value.lVal;
}

bool boolArgument(const DISPPARAMS& parameters, UINT position) {
    VARIANT value;
    coerced(parameters, position, VT_BOOL, value);
    return value.boolVal != VARIANT_FALSE;
}

std::wstring bstrArgument(const DISPPARAMS& parameters, UINT position) {
    const VARIANT& value = argument(parameters, position);
    if (value.vt != VT_BSTR) throw Fault{DISP_E_TYPEMISMATCH, {}};
    return {value.bstrVal, SysStringLen(value.bstrVal)};
}

void setString(VARIANT* result, const std::wstring& text) {
    if (result == nullptr) return;
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void setInt32(VARIANT* result, std::int32_t value) {
    if (result == nullptr) return;
    result->vt = VT_I4;
    result->lVal = value;
}

void setBool(VARIANT* result, bool value) {
    if (result == nullptr) return;
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void setObject(VARIANT* result, IDispatch* object) {
    if (result == nullptr) {
        object->Release();
        return;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
}

}  // namespace server
