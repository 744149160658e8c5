// Arbitrary bytes as a table file: loading either succeeds or raises the table
// store's error, never crashes; and what loads must survive a write and a
// re-read in both forms with the same number of rows and fields.
#include "data/DataErrors.h"
#include "data/TableFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/corvane-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return folder;
}

void CheckRewrite(const corvane::TableStorage& loaded, const std::string& name) {
    const std::string path = Folder() + "/" + name;
    corvane::WriteTableFile(path, loaded);
    const corvane::TableStorage again = corvane::ReadTableFile(path);
    if (again.rows.size() != loaded.rows.size() || again.defs.size() != loaded.defs.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = Folder() + "/input";
    std::FILE* f = std::fopen(input.c_str(), "wb");
    if (!f)
        std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    corvane::TableStorage loaded;
    try {
        loaded = corvane::ReadTableFile(input);
    } catch (const corvane::ETableFileError&) {
        return 0;
    }
    CheckRewrite(loaded, "copy.cds");
    CheckRewrite(loaded, "copy.xml");
    return 0;
}
