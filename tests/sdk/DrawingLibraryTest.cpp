// The drawing library is a shared library of its own: it exports exactly the functions of its C
// header, and the SDK libraries import them from it instead of carrying a copy.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

// Names declared by lines that start with `macro`: the word before the first '('.
std::set<std::string> DeclaredNames(const char* header, const std::string& macro) {
    std::ifstream in(header);
    std::set<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(macro + " ", 0) != 0)
            continue;
        std::size_t end = line.find('(');
        if (end == std::string::npos)
            continue;
        std::size_t begin = end;
        while (begin > 0 &&
               (std::isalnum(static_cast<unsigned char>(line[begin - 1])) || line[begin - 1] == '_'))
            --begin;
        names.insert(line.substr(begin, end - begin));
    }
    return names;
}

// Output lines of a command, split into words.
std::vector<std::vector<std::string>> Lines(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::vector<std::vector<std::string>> lines;
    if (!pipe)
        return lines;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, pipe.get())) {
        std::istringstream words(buffer);
        std::vector<std::string> line;
        for (std::string w; words >> w;)
            line.push_back(w);
        lines.push_back(line);
    }
    return lines;
}

// Dynamic symbols as {type, name}: defined ones with their type letter, undefined ones as "U".
std::set<std::string> Symbols(const char* library, const std::string& type) {
    std::set<std::string> names;
    for (const auto& w : Lines(std::string("nm -D '") + library + "'")) {
        if (w.size() == 3 && w[1] == type)
            names.insert(w[2]);
        else if (w.size() == 2 && w[0] == type)
            names.insert(w[1]);
    }
    return names;
}

TEST(DrawingLibrary, ExportsExactlyTheFunctionsOfItsHeader) {
    const auto header = DeclaredNames(KVGDI_HEADER_PATH, "KVGDI_API");
    for (const char* name : {"CreateCompatibleDC", "CreateCompatibleBitmap", "SelectObject", "GetPixel",
                             "DeleteObject", "DeleteDC", "CreatePen", "CreateSolidBrush", "FillRect",
                             "SetTextColor", "SetBkColor", "StretchBlt"})
        EXPECT_EQ(header.count(name), 1u) << name;
    EXPECT_EQ(Symbols(KVGDI_LIBRARY_PATH, "T"), header);
    std::set<std::string> other;
    for (const auto& w : Lines(std::string("nm -D --defined-only '") + KVGDI_LIBRARY_PATH + "'"))
        if (w.size() == 3 && w[1] != "T" && w[2] != "__lsan_default_suppressions") // sanitizer builds
            other.insert(w[2]);
    EXPECT_TRUE(other.empty()) << "not a function of the header: " << *other.begin();
}

TEST(DrawingLibrary, SdkLibrariesImportTheDrawingFunctions) {
    const auto header = DeclaredNames(KVGDI_HEADER_PATH, "KVGDI_API");
    for (const char* library : {TESSEL_LIBRARY_PATH, PALLIK_LIBRARY_PATH, CORDUN_LIBRARY_PATH}) {
        bool needsDrawingLibrary = false;
        for (const auto& w : Lines(std::string("readelf -d '") + library + "'"))
            needsDrawingLibrary |= w.size() == 5 && w[1] == "(NEEDED)" && w[4] == "[libkvgdi.so]";
        EXPECT_TRUE(needsDrawingLibrary) << library;
        const auto imported = Symbols(library, "U");
        for (const char* name : {"CreatePen", "SelectObject", "DeleteObject", "LineTo", "CreatePolygonRgn",
                                 "FillRgn", "StretchBlt", "Ellipse", "TextOut"})
            EXPECT_EQ(imported.count(name), 1u) << library << " " << name;
        for (const auto& name : Symbols(library, "T"))
            EXPECT_EQ(header.count(name), 0u) << library << " carries its own " << name;
    }
}

} // namespace
