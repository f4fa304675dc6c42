// Extracts a RAR archive with nothing but the RAR library's own loop (read a header, extract the
// file into the folder), so the benchmark can show what the library costs by itself.
//   rar_library_floor ARCHIVE FOLDER
#include "archive/UnrarApi.h"

#include <cstdio>
#include <string>

using namespace Unrar;

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rar_library_floor ARCHIVE FOLDER\n");
        return 2;
    }
    RAROpenArchiveDataEx open{};
    open.ArcName = argv[1];
    open.OpenMode = RAR_OM_EXTRACT;
    void *handle = RAROpenArchiveEx(&open);
    if (!handle || open.OpenResult != ERAR_SUCCESS)
        return 1;
    std::string folder = argv[2];
    RARHeaderDataEx header{};
    int result;
    while ((result = RARReadHeaderEx(handle, &header)) == ERAR_SUCCESS) {
        result = RARProcessFile(handle, RAR_EXTRACT, folder.data(), nullptr);
        if (result != ERAR_SUCCESS)
            break;
    }
    RARCloseArchive(handle);
    return result == ERAR_END_ARCHIVE ? 0 : 1;
}
