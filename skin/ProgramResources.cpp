#include "skin/ProgramResources.h"

std::string ResourceBitmapFile(const std::string& root, int id) {
    return root + "/" + kResourceFolder + "/" + std::to_string(id) + ".bmp";
}

std::string ResourceIconFile(const std::string& root, int id) {
    return root + "/" + kResourceFolder + "/" + std::to_string(id) + ".ico";
}
