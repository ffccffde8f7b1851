#include "platform/ReadableFile.h"

std::string ReadableFileProblem(const std::string& path) {
    ReadableFile opened = OpenReadableFile(path);
    if (opened.file != nullptr) std::fclose(opened.file);
    return opened.reason;
}
