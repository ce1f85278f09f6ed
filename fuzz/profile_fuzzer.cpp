// Any bytes as Config.txt: load both dialects, save each, load again. Every save must give
// back the table it wrote and leave the other dialect's table as it was.
#include <unistd.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "camera_types.h"
#include "codepage.h"
#include "fuzz_support.h"

namespace {

bool same_table(const CameraTypeList& a, const CameraTypeList& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const CameraType& x = a[i];
        const CameraType& y = b[i];
        if (x.id != y.id || x.export_enabled != y.export_enabled ||
            std::wcscmp(x.description, y.description) != 0 ||
            std::wcscmp(x.message_format, y.message_format) != 0)
            return false;
    }
    return true;
}

CameraTypeList load(const std::wstring& path, InputFormat format) {
    CameraTypeList types;
    load_camera_types(types, path, format);
    return types;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/dev/shm/orvane-fuzz-" + std::to_string(getpid()) + ".txt";
    static const std::wstring wide_path = from_utf8(path);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const CameraTypeList navitel = load(wide_path, InputFormat::Navitel);
    const CameraTypeList igo = load(wide_path, InputFormat::Igo);
    save_camera_types(navitel, wide_path, InputFormat::Navitel);
    FUZZ_CHECK(same_table(load(wide_path, InputFormat::Navitel), navitel));
    FUZZ_CHECK(same_table(load(wide_path, InputFormat::Igo), igo));
    save_camera_types(igo, wide_path, InputFormat::Igo);
    FUZZ_CHECK(same_table(load(wide_path, InputFormat::Igo), igo));
    FUZZ_CHECK(same_table(load(wide_path, InputFormat::Navitel), navitel));
    std::remove(path.c_str());
    return 0;
}
