#include "app/Consola.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, ""); // the decimal separator shown follows the user's locale
    std::vector<std::string> args(argv + 1, argv + argc);
    return Consola::Ejecutar(args, std::cout, std::cerr);
}
