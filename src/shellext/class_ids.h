#pragma once
// The extension's identifiers in registry form. QLRY_WS.idl carries the same
// values; a Windows test checks that both agree. Never change them: Explorer
// and installed copies know the extension by these.

namespace qlry {

inline constexpr wchar_t kClsidMyContextMenu[] = L"{E081AB31-BCF5-4C89-904D-5A1BEF943E8C}";
inline constexpr wchar_t kAppIdQlryWs[] = L"{58B5D8DF-7E0B-4136-905F-1E1C5C76F2A4}";
inline constexpr wchar_t kLibIdQlryWsLib[] = L"{C1355B66-6C08-482A-BEC8-410C3CBCBAA4}";
inline constexpr wchar_t kIidIMyContextMenu[] = L"{79657EDD-3E9E-4200-9B35-4C2BA6129302}";

}  // namespace qlry
