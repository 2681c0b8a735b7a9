// brisbleep-artwork: draws the editor's images.
//   brisbleep-artwork <images.txt> <output folder> [--contact-sheet <file.png>]

#include "tools/artwork/Generator.h"
#include "tools/artwork/ImageTable.h"

#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--contact-sheet"))
    {
        std::cerr << "usage: brisbleep-artwork <images.txt> <output folder> [--contact-sheet <file.png>]\n";
        return 2;
    }
    const auto table = artwork::ReadImageTable(argv[1]);
    if (!table)
    {
        std::cerr << argv[1] << ": cannot read the image table\n";
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(argv[2], ec);
    if (!artwork::GenerateAll(*table, argv[2], std::cerr)) return 1;
    if (argc == 5 && !artwork::WriteContactSheet(*table, argv[2], argv[4], std::cerr)) return 1;
    std::cout << "drew " << table->size() << " images into " << argv[2] << "\n";
    return 0;
}
