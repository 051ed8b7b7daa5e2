#include "CatalogueSource.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return catalogue::Run(args, std::cerr);
}
