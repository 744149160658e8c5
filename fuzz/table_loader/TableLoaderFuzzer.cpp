// Arbitrary bytes as a table file: loading either succeeds or raises the table
// store's error, never crashes; and what loads must survive a write and a
// re-read in both forms with the same number of rows and fields (text holding
// a NUL character survives in the binary form only: the XML writer refuses it
// with the store's error and writes nothing).
#include "data/DataErrors.h"
#include "data/TableFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <variant>

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

bool HoldsNulText(const corvane::TableStorage& loaded) {
    for (const auto& row : loaded.rows)
        for (const corvane::Value& value : row->values)
            if (const auto* text = std::get_if<std::string>(&value);
                text && text->find('\0') != std::string::npos)
                return true;
    return false;
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
    try {
        CheckRewrite(loaded, "copy.xml");
    } catch (const corvane::ETableFileError&) {
        if (!HoldsNulText(loaded))
            throw;
    }
    return 0;
}
