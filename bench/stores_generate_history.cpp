// Writes a large "Histo.dat" for trying the program or the benchmarks by hand:
//   stores_generate_history FILE [ENTRIES=100000] [SEED=1]
#include <QCoreApplication>
#include <cstdio>

#include "stores_history_generator.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [ENTRIES] [SEED]\n", argv[0]);
        return 2;
    }
    const int entries = argc > 2 ? std::atoi(argv[2]) : 100000;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1;
    if (entries < 0 || !writeHistoryFile(QString::fromLocal8Bit(argv[1]), entries, seed)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
