#include "support/Recording.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::filesystem::path madeFolder()
{
    std::string name = (std::filesystem::temp_directory_path() / "infrabrick-test-XXXXXX").string();
    return ::mkdtemp(name.data()) ? name : "";
}

} // namespace

TemporaryFolder::TemporaryFolder(bool runtime)
    : folder(madeFolder())
    , runtime(runtime)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && saved)
        savedRuntime = saved;
    if (runtime)
        ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

TemporaryFolder::~TemporaryFolder()
{
    if (runtime)
        savedRuntime ? ::setenv("XDG_RUNTIME_DIR", savedRuntime->c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string TemporaryFolder::write(const std::string& name, const Bytes& contents) const
{
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(contents.data()), std::streamsize(contents.size()));
    return path(name);
}

Bytes TemporaryFolder::read(const std::string& name) const
{
    std::ifstream file(folder / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}
