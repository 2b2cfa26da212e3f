/* Forced into widl's proxy/stub C files: mingw declares these three for C++
   only, and the delegating proxy of a dual interface calls them from C. */
#ifndef QLRY_PROXY_PRELUDE_H
#define QLRY_PROXY_PRELUDE_H
#include <unknwn.h>
#ifndef __cplusplus
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);
#endif
#endif
