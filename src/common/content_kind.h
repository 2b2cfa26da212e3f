#pragma once
// What a file or the clipboard holds, as both deliverables judge it.

enum ContentKind {
    KindNone = 0,
    KindText = 1,
    KindImage = 2,
};
