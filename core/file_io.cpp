#include "file_io.h"

bool close_file(UniqueFile file) {
    return file && std::fclose(file.release()) == 0;
}
