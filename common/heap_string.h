// An owned, malloc'ed C string.
#ifndef TRVNS_HEAP_STRING_H
#define TRVNS_HEAP_STRING_H

#include <cstdlib>
#include <memory>

namespace trvns {

struct FreeDeleter {
    void operator()(char *text) const { free(text); }
};
using HeapString = std::unique_ptr<char, FreeDeleter>;

}  // namespace trvns

#endif
