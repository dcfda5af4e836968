// dorvana-newdb PATH: creates a new, empty database file for the program.

#include "core/AppError.h"
#include "db/NewDatabase.h"

#include <QString>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dorvana-newdb PATH\n");
        return 2;
    }
    try {
        createDatabase(QString::fromLocal8Bit(argv[1]));
    } catch (const AppError& error) {
        std::fprintf(stderr, "dorvana-newdb: %s\n", error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "dorvana-newdb: %s\n", error.what());
        return 1;
    }
    return 0;
}
