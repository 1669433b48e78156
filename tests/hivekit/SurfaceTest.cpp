// The component surface: class factory, reference counts and unloading, the interface's
// members with their error information, late binding by dispatch identifier, registration.
#include <hivekit/Hivekit.h>

#include "StoreFixture.h"
#include "hivekit/CRegistry.h"
#include "hivekit/Registration.h"

extern "C" {
hivekit::HRESULT DllGetClassObject(const hivekit::GUID*, const hivekit::GUID*, void**);
hivekit::HRESULT DllCanUnloadNow();
hivekit::HRESULT DllRegisterServer();
hivekit::HRESULT DllUnregisterServer();
}

namespace hivekit::test {
namespace {

class SurfaceTest : public StoreFixture {
  protected:
    static _CRegistry* NewObject() {
        void* f = nullptr;
        EXPECT_EQ(DllGetClassObject(&CLSID_CRegistry, &IID_IClassFactory, &f), S_OK);
        auto* factory = static_cast<IClassFactory*>(f);
        void* o = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID__CRegistry, &o), S_OK);
        factory->Release();
        return static_cast<_CRegistry*>(o);
    }
    static std::string Take(BSTR s) {
        std::string out(s ? s : "", SysStringLen(s));
        SysFreeString(s);
        return out;
    }
    // A text value under HKEY_CLASSES_ROOT, less its terminating zero.
    static std::string Value(const std::string& key, const std::string& name) {
        Store store;
        std::int64_t id = 0;
        std::vector<ValueRow> rows;
        if (store.OpenKey(HkeyClassRoot, key, id) != kStoreOk ||
            store.ReadValues(id, rows) != kStoreOk) {
            return "<no key>";
        }
        for (const ValueRow& row : rows) {
            if (row.name == name) {
                return row.data.substr(0, row.data.find('\0'));
            }
        }
        return "<no value>";
    }
    static void PutRawRoot(const std::string& key, const std::string& name,
                           const std::string& text) {
        Store store;
        std::int64_t id = 0;
        int disposition = 0;
        ASSERT_EQ(store.CreateKey(HkeyClassRoot, key, id, disposition), kStoreOk);
        ASSERT_EQ(store.SetValue(id, name, RegSz, text + '\0'), kStoreOk);
    }
    // Error information after a failed call: "number|source|description".
    static std::string ErrorOf(_CRegistry* o) {
        void* p = nullptr;
        if (o->QueryInterface(IID_IErrorInfo, &p) != S_OK) {
            return "no error info";
        }
        auto* info = static_cast<IErrorInfo*>(p);
        std::int32_t n = 0;
        BSTR s = nullptr;
        BSTR d = nullptr;
        info->GetNumber(&n);
        info->GetSource(&s);
        info->GetDescription(&d);
        info->Release();
        return std::to_string(n) + "|" + Take(s) + "|" + Take(d);
    }
};

TEST_F(SurfaceTest, FactoryMakesIndependentObjectsAndCountsDecideUnloading) {
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    void* f = nullptr;
    const GUID other = IID__CRegistry;
    EXPECT_EQ(DllGetClassObject(&other, &IID_IClassFactory, &f), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(DllGetClassObject(&CLSID_CRegistry, &IID_IClassFactory, &f), S_OK);
    auto* factory = static_cast<IClassFactory*>(f);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);  // a factory by itself does not count
    void* a = nullptr;
    void* b = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID__CRegistry, &a), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &b), S_OK);
    void* none = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_NE(a, b);

    auto* ra = static_cast<_CRegistry*>(a);
    auto* rb = static_cast<_CRegistry*>(b);
    BSTR key = SysAllocString("A");
    ra->put_Key(key);
    SysFreeString(key);
    BSTR got = nullptr;
    rb->get_Key(&got);
    EXPECT_EQ(Take(got), "");
    EXPECT_EQ(ra->AddRef(), 2u);
    EXPECT_EQ(ra->Release(), 1u);
    EXPECT_EQ(ra->Release(), 0u);
    EXPECT_EQ(rb->Release(), 0u);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // still locked
    ASSERT_EQ(DllGetClassObject(&CLSID_CRegistry, &IID_IClassFactory, &f), S_OK);
    static_cast<IClassFactory*>(f)->LockServer(0);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    static_cast<IClassFactory*>(f)->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(SurfaceTest, MembersInTheirOrderWithTheirResultsAndErrorInformation) {
    _CRegistry* o = NewObject();
    std::int32_t n = 0;
    EXPECT_EQ(o->get_Root(&n), S_OK);
    EXPECT_EQ(n, HkeyLocalMachine);
    EXPECT_EQ(o->get_Access(&n), S_OK);
    EXPECT_EQ(n, 0x2001F);
    VARIANT_BOOL b = VARIANT_FALSE;
    EXPECT_EQ(o->get_AutoCreate(&b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    BSTR key = SysAllocString("SOFTWARE\\Corvane\\Init");
    EXPECT_EQ(o->put_Key(key), S_OK);
    SysFreeString(key);

    VARIANT name = MakeVariantBstr(SysAllocString("bSaveLogin"));
    VARIANT value = MakeVariantBstr(SysAllocString(""));
    std::int16_t type = 0;
    EXPECT_EQ(o->SetValue(&name, &value, &type, &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(Take(value.bstrVal), " ");  // changed in the caller's variant
    value = MakeVariantI4(1);
    EXPECT_EQ(o->SetValue(&name, &value, nullptr, &b), S_OK);
    VariantClear(&name);

    std::int16_t count = 0;
    EXPECT_EQ(o->get_ValueCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    BSTR text = nullptr;
    EXPECT_EQ(o->GetName(1, &text), S_OK);
    EXPECT_EQ(Take(text), "bSaveLogin");
    const VARIANT position = MakeVariantI2(1);
    EXPECT_EQ(o->GetValue(&position, &text), S_OK);
    EXPECT_EQ(Take(text), "1");

    EXPECT_EQ(o->GetName(2, &text), StatusFromErrorNumber(1200));
    EXPECT_EQ(ErrorOf(o), "1200|Registry Collection|Invalid Index");
    std::int16_t wanted = 5;
    EXPECT_EQ(o->put_ValueCount(&wanted), RegErrorNoLetProperty);
    EXPECT_EQ(ErrorOf(o), std::to_string(RegErrorNoLetProperty) +
                              "|CRegistry.Let ValueCount|The Let Property is not available");
    EXPECT_EQ(o->get_ValueCount(&count), S_OK);
    EXPECT_EQ(ErrorOf(o), "0||");  // a call that succeeds clears it
    EXPECT_EQ(count, 2);
    // So does a call refused before it runs: its failure is not dressed in an older error.
    EXPECT_EQ(o->GetName(9, &text), StatusFromErrorNumber(1200));
    VARIANT unsupported;
    VariantInit(&unsupported);
    unsupported.vt = 5;  // a floating-point number, which the interface does not take
    EXPECT_EQ(o->GetValue(&unsupported, &text), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ErrorOf(o), "0||");
    o->Release();
}

TEST_F(SurfaceTest, InvokeByDispatchIdentifier) {
    _CRegistry* o = NewObject();
    const char* names[] = {"setvalue"};
    DISPID id = 0;
    EXPECT_EQ(o->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK);
    EXPECT_EQ(id, DISPID_SetValue);
    const char* unknown[] = {"Nothing"};
    EXPECT_EQ(o->GetIDsOfNames(IID_NULL, unknown, 1, 0x409, &id), DISP_E_UNKNOWNNAME);

    VARIANT arg = MakeVariantBstr(SysAllocString("K"));
    DISPID putId = -3;
    DISPPARAMS put{&arg, &putId, 1, 1};
    EXPECT_EQ(
        o->Invoke(DISPID_Key, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
        S_OK);
    VariantClear(&arg);

    VARIANT args[2] = {MakeVariantI4(42), MakeVariantBstr(SysAllocString("answer"))};  // last first
    DISPPARAMS call{args, nullptr, 2, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(
        o->Invoke(DISPID_SetValue, IID_NULL, 0, DISPATCH_METHOD, &call, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    VariantClear(&args[1]);

    VARIANT which = MakeVariantBstr(SysAllocString("ANSWER"));
    DISPPARAMS get{&which, nullptr, 1, 0};
    EXPECT_EQ(
        o->Invoke(DISPID_GetValue, IID_NULL, 0, DISPATCH_METHOD, &get, &result, nullptr, nullptr),
        S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::string(result.bstrVal), "42");
    VariantClear(&result);
    VariantClear(&which);

    DISPPARAMS noArgs{nullptr, nullptr, 0, 0};
    EXPECT_EQ(o->Invoke(DISPID_ValueCount, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArgs, &result,
                        nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, 2);

    VARIANT badPosition = MakeVariantI2(9);
    DISPPARAMS getName{&badPosition, nullptr, 1, 0};
    EXCEPINFO info{};
    EXPECT_EQ(
        o->Invoke(DISPID_GetName, IID_NULL, 0, DISPATCH_METHOD, &getName, &result, &info, nullptr),
        DISP_E_EXCEPTION);
    EXPECT_EQ(Take(info.bstrSource), "Registry Collection");
    EXPECT_EQ(Take(info.bstrDescription), "Invalid Index");
    VARIANT unsupported;
    VariantInit(&unsupported);
    unsupported.vt = 5;
    DISPPARAMS badGet{&unsupported, nullptr, 1, 0};
    EXPECT_EQ(o->Invoke(DISPID_GetValue, IID_NULL, 0, DISPATCH_METHOD, &badGet, &result, nullptr,
                        nullptr),
              DISP_E_TYPEMISMATCH);  // not the exception of the call before
    EXPECT_EQ(o->Invoke(0x1234, IID_NULL, 0, DISPATCH_METHOD, &noArgs, &result, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(
        o->Invoke(DISPID_GetName, IID_NULL, 0, DISPATCH_METHOD, &noArgs, &result, nullptr, nullptr),
        DISP_E_BADPARAMCOUNT);
    o->Release();
}

TEST_F(SurfaceTest, RegistrationWritesTheClassAndUnregistrationRemovesExactlyThat) {
    PutRawRoot("CLSID\\{11111111-2222-3333-4444-555555555555}", "", "someone else's class");
    ASSERT_EQ(RegisterServer("/opt/hivekit/libhivekit.so"), S_OK);
    const std::string clsid = "CLSID\\" + GuidString(CLSID_CRegistry);
    EXPECT_EQ(clsid, "CLSID\\{0F899022-BD82-4EAE-B0BF-983FD35F9179}");
    EXPECT_EQ(Value(clsid + "\\InprocServer32", ""), "/opt/hivekit/libhivekit.so");
    EXPECT_EQ(Value(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Value(clsid + "\\ProgID", ""), "Hivekit.CRegistry");
    EXPECT_EQ(Value("Hivekit.CRegistry\\Clsid", ""), "{0F899022-BD82-4EAE-B0BF-983FD35F9179}");
    EXPECT_EQ(Value("TypeLib\\{B7611E93-A77B-4F26-91D4-0991F6C70698}\\1.0\\0\\linux", ""),
              "/opt/hivekit/libhivekit.so");
    EXPECT_EQ(Value("Interface\\{413B8AE8-1896-4610-AA63-C54CF11F3E8D}", ""), "_CRegistry");
    EXPECT_EQ(Value("Interface\\{413B8AE8-1896-4610-AA63-C54CF11F3E8D}\\TypeLib", ""),
              "{B7611E93-A77B-4F26-91D4-0991F6C70698}");

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    Store store;
    std::int64_t id = 0;
    for (const char* gone : {"CLSID\\{0F899022-BD82-4EAE-B0BF-983FD35F9179}", "Hivekit.CRegistry",
                             "TypeLib\\{B7611E93-A77B-4F26-91D4-0991F6C70698}",
                             "Interface\\{413B8AE8-1896-4610-AA63-C54CF11F3E8D}"}) {
        EXPECT_EQ(store.OpenKey(HkeyClassRoot, gone, id), kStoreNotFound) << gone;
    }
    EXPECT_EQ(Value("CLSID\\{11111111-2222-3333-4444-555555555555}", ""), "someone else's class");
    EXPECT_EQ(store.OpenKey(HkeyClassRoot, "Interface", id), kStoreOk);
    EXPECT_EQ(store.OpenKey(HkeyClassRoot, "TypeLib", id), kStoreOk);

    // Registering through the entry point names the file the code was loaded from.
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_FALSE(Value(clsid + "\\InprocServer32", "").empty());
}

}  // namespace
}  // namespace hivekit::test
