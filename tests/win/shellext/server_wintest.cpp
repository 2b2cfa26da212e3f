// The loaded server: class objects, the lock count, the class factory's
// rules, aggregation, QueryInterface, IDispatch, identifiers and resources.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "QLRY_WS.h"
#include "shellext/class_ids.h"
#include "win/shellext/shellext_win_support.h"

namespace qlry::wintest {
namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(WINAPI*)();

class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        module = ::LoadLibraryW(DllPath().c_str());
        ASSERT_NE(nullptr, module);
        getClassObject = reinterpret_cast<GetClassObjectFn>(
            reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
        canUnloadNow =
            reinterpret_cast<CanUnloadNowFn>(reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
    }
    static void TearDownTestSuite() { ::FreeLibrary(module); }

    void SetUp() override {
        ASSERT_NE(nullptr, getClassObject);
        ASSERT_NE(nullptr, canUnloadNow);
        ASSERT_EQ(S_OK, canUnloadNow()) << "a test before this one left something alive";
    }
    void TearDown() override { EXPECT_EQ(S_OK, canUnloadNow()) << "something is still alive"; }

    IClassFactory* Factory() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, getClassObject(CLSID_MyContextMenu, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        return factory;
    }
    // A new object through a factory that is released again at once.
    HRESULT Create(REFIID iid, void** out) {
        IClassFactory* factory = Factory();
        const HRESULT result = factory->CreateInstance(nullptr, iid, out);
        factory->Release();
        return result;
    }

    static inline HMODULE module = nullptr;
    static inline GetClassObjectFn getClassObject = nullptr;
    static inline CanUnloadNowFn canUnloadNow = nullptr;
};

TEST_F(ServerTest, OtherClassIdsAreNotAvailable) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IContextMenu, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(LIBID_QLRY_WSLib, IID_IUnknown, &out));
}

TEST_F(ServerTest, NullResultPointerIsRefused) {
    EXPECT_EQ(E_POINTER, getClassObject(CLSID_MyContextMenu, IID_IClassFactory, nullptr));
}

TEST_F(ServerTest, FactoryIsCreatedOnceAndKept) {
    IClassFactory* first = Factory();
    IClassFactory* second = Factory();
    EXPECT_EQ(first, second);
    second->Release();
    first->Release();
    IClassFactory* again = Factory();
    EXPECT_EQ(first, again);
    again->Release();
}

TEST_F(ServerTest, HeldFactoryKeepsTheServerLoaded) {
    IClassFactory* factory = Factory();
    EXPECT_EQ(S_FALSE, canUnloadNow());
    factory->Release();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(ServerTest, LockServerKeepsTheServerLoaded) {
    IClassFactory* factory = Factory();
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory->Release();
    EXPECT_EQ(S_FALSE, canUnloadNow());
    factory = Factory();
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory->Release();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(ServerTest, LiveObjectKeepsTheServerLoaded) {
    IContextMenu* menu = nullptr;
    ASSERT_EQ(S_OK, Create(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    EXPECT_EQ(S_FALSE, canUnloadNow());
    menu->Release();
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(ServerTest, CreateInstanceRules) {
    IClassFactory* factory = Factory();
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IContextMenu, nullptr));
    void* out = reinterpret_cast<void*>(1);
    IUnknown* outer = factory;  // any object will do as the outer one
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IContextMenu, &out));
    EXPECT_EQ(nullptr, out);
    // An interface the object lacks: the new object goes again.
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    factory->Release();
}

// An outer object that counts the references its inner object delegates.
class Outer : public IUnknown {
public:
    IUnknown* inner = nullptr;
    ULONG refs = 1;
    int queries = 0;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        ++queries;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
};

TEST_F(ServerTest, AggregatedObjectDelegatesToItsOuter) {
    IClassFactory* factory = Factory();
    Outer outer;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)));
    factory->Release();

    IContextMenu* menu = nullptr;
    ASSERT_EQ(S_OK, outer.inner->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)));
    EXPECT_EQ(2u, outer.refs) << "the interface's reference belongs to the outer object";
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    EXPECT_EQ(1, outer.queries);
    identity->Release();
    menu->Release();
    EXPECT_EQ(1u, outer.refs);
    EXPECT_EQ(S_FALSE, canUnloadNow());
    outer.inner->Release();
}

TEST_F(ServerTest, QueryInterfaceAnswersTheFourInterfacesWithOneIdentity) {
    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, Create(IID_IUnknown, reinterpret_cast<void**>(&object)));
    const IID* iids[] = {&IID_IMyContextMenu, &IID_IDispatch, &IID_IShellExtInit, &IID_IContextMenu};
    for (const IID* iid : iids) {
        IUnknown* itf = nullptr;
        ASSERT_EQ(S_OK, object->QueryInterface(*iid, reinterpret_cast<void**>(&itf)));
        IUnknown* identity = nullptr;
        ASSERT_EQ(S_OK, itf->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
        EXPECT_EQ(object, identity);
        identity->Release();
        itf->Release();
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IContextMenu, nullptr));
    object->Release();
}

TEST_F(ServerTest, DispatchComesFromTheTypeLibrary) {
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(S_OK, Create(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, 0, &info));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(IID_IMyContextMenu, attributes->guid));
    info->ReleaseTypeAttr(attributes);
    info->Release();
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, 0, &info));
    LPOLESTR name = const_cast<LPOLESTR>(L"Anything");
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
    dispatch->Release();
}

std::wstring RegistryForm(const GUID& guid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return text;
}

TEST(ServerIdentifiers, InterfaceDefinitionAgreesWithTheRegistryTexts) {
    EXPECT_EQ(kClsidMyContextMenu, RegistryForm(CLSID_MyContextMenu));
    EXPECT_EQ(kLibIdQlryWsLib, RegistryForm(LIBID_QLRY_WSLib));
    EXPECT_EQ(kIidIMyContextMenu, RegistryForm(IID_IMyContextMenu));
}

TEST(ServerResources, NameVersionManifestAndTypeLibrary) {
    HMODULE module = ::LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    wchar_t name[64] = {};
    ::LoadStringW(module, 100, name, 64);
    EXPECT_STREQ(L"QLRY_WS", name);
    EXPECT_NE(nullptr, ::FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB"));
    HRSRC manifest = ::FindResourceW(module, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, manifest);
    std::string text(static_cast<const char*>(::LockResource(::LoadResource(module, manifest))),
                     ::SizeofResource(module, manifest));
    EXPECT_NE(std::string::npos, text.find("level=\"asInvoker\""));
    ::FreeLibrary(module);

    DWORD size = ::GetFileVersionInfoSizeW(DllPath().c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoW(DllPath().c_str(), 0, size, block.data()));
    auto field = [&](const wchar_t* key) {
        wchar_t* value = nullptr;
        UINT length = 0;
        std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        return ::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)
                   ? std::wstring(value)
                   : std::wstring(L"<none>");
    };
    EXPECT_EQ(L"Varnel", field(L"CompanyName"));
    EXPECT_EQ(L"Quillory Extension", field(L"FileDescription"));
    EXPECT_EQ(L"QLRY_WS.dll", field(L"InternalName"));
    EXPECT_EQ(L"QLRY_WS.dll", field(L"OriginalFilename"));
    EXPECT_EQ(L"Quillory", field(L"ProductName"));
    EXPECT_EQ(L"1.0.0.0", field(L"FileVersion"));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
}

}  // namespace
}  // namespace qlry::wintest
