// make_module OUT_PATH: writes the default show's music (an XM tune of about 54 s).
#include <cstdio>

#include "showkit/ShowModules.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_module OUT_PATH\n");
        return 2;
    }
    if (!velmora::xm::saveXm(velmora::xm::defaultShowModule(), argv[1])) {
        std::fprintf(stderr, "make_module: cannot write '%s'\n", argv[1]);
        return 1;
    }
    return 0;
}
