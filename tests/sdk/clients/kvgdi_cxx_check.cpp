// The drawing library's header as a C++ client meets it: compiled with warnings about a 0 used
// as a null pointer turned into errors, and its object descriptions start at zero and null.
#include "kvgdi.h"

int main() {
    const BITMAP bitmap;
    const DOCINFO info;
    return bitmap.bmBits == nullptr && info.lpszDocName == nullptr && info.cbSize == sizeof(DOCINFO) ? 0 : 1;
}
