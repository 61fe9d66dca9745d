#include <cstdio>

#include "common/Args.h"

static int Run(const std::vector<std::string>& args) {
    std::fprintf(stderr, "usage: kvpack COMMAND ...\n");
    return 2;
}

KV_UTF8_MAIN(Run)
