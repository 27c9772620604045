#include "common/error_words.h"

namespace marksafe {

std::string ErrorWords(uint32_t code) {
  switch (code) {
    case 2: return "file not found";
    case 3: return "folder not found";
    case 4: return "too many open files";
    case 5: return "access denied";
    case 8: return "not enough memory";
    case 13: return "the data is not valid";
    case 19: return "the medium is write-protected";
    case 32: return "in use by another program (locked)";
    case 33: return "locked by another program";
    case 80: return "the file exists already";
    case 87: return "invalid argument";
    case 112: return "the disk is full";
    case 145: return "the folder is not empty";
    case 183: return "it exists already";
    case 206: return "the name or path is too long";
    case 1117: return "input/output error";
    case 1392: return "the file is damaged";
    case 1921: return "too many levels of links";
    default: return "error " + std::to_string(code);
  }
}

}  // namespace marksafe
