// Writes the tables the description search ships, so that the program neither links ICU nor
// pays for building them at start:
//   pinyin.txt       one line for each CJK unified ideograph (U+4E00 to U+9FFF) with a reading:
//                    the character and its most common toneless syllable ("牛niu"), from ICU's
//                    Han-Latin transliteration;
//   traditional.txt  the characters OpenCC's traditional-to-simplified conversion (with Taiwan phrases) changes, on one
//                    line: a text without any of them is already simplified.
//   zendrik-suggesttables res/suggest
#include <opencc/opencc.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zendrik-suggesttables FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> latin(
        icu::Transliterator::createInstance("Han-Latin; Latin-ASCII; Lower", UTRANS_FORWARD, status));
    const opencc_t simplifier = opencc_open("tw2sp.json");
    if (U_FAILURE(status) || simplifier == reinterpret_cast<opencc_t>(-1)) {
        std::fprintf(stderr, "no Han-Latin transliteration or no tw2sp.json\n");
        return 1;
    }
    std::ofstream pinyin(folder + "/pinyin.txt"), traditional(folder + "/traditional.txt");
    for (UChar32 c = 0x3400; c <= 0x9FFF; ++c) {
        std::string han;
        icu::UnicodeString(c).toUTF8String(han);
        char *simplified = opencc_convert_utf8(simplifier, han.c_str(), han.size());
        if (simplified && han != simplified) traditional << han;
        opencc_convert_utf8_free(simplified);
        if (c < 0x4E00) continue;
        icu::UnicodeString text(c);
        latin->transliterate(text);
        std::string reading;
        text.toUTF8String(reading);
        // A character left as it was has no reading; a reading is letters alone.
        bool letters = !reading.empty();
        for (char ch : reading) letters = letters && ch >= 'a' && ch <= 'z';
        if (letters) pinyin << han << reading << '\n';
    }
    traditional << '\n';
    opencc_close(simplifier);
    return pinyin && traditional ? 0 : 1;
}
