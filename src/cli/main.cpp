#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::fprintf(stderr, "usage: mendor-cli [--home DIR] COMMAND\n");
    return 2;
}
