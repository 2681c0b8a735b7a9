// brisbleep-artwork: draws the editor's images.
//   brisbleep-artwork <images.txt> <output folder> [--contact-sheet <file.png>] [--preview <file.png>]

#include "tools/artwork/Generator.h"
#include "tools/artwork/ImageTable.h"
#include "tools/artwork/Preview.h"

#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    std::string sheet, preview;
    bool usage = argc < 3;
    for (int i = 3; i < argc && !usage; i += 2)
    {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            usage = true;
        else if (option == "--contact-sheet")
            sheet = argv[i + 1];
        else if (option == "--preview")
            preview = argv[i + 1];
        else
            usage = true;
    }
    if (usage)
    {
        std::cerr << "usage: brisbleep-artwork <images.txt> <output folder> [--contact-sheet <file.png>] "
                     "[--preview <file.png>]\n";
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
    if (!sheet.empty() && !artwork::WriteContactSheet(*table, argv[2], sheet, std::cerr)) return 1;
    if (!preview.empty() && !artwork::WriteEditorPreview(argv[2], preview, std::cerr)) return 1;
    std::cout << "drew " << table->size() << " images into " << argv[2] << "\n";
    return 0;
}
