// Enciphers the shipped configuration for builds whose own lumo-config cannot run on the build
// machine (the Windows cross builds). Compiled for the build machine from the program's own
// cipher source, so both ways give the same file.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "config/crypt.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: lumo-encipher PLAIN OUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "lumo-encipher: " << argv[1] << ": cannot be read\n";
        return 1;
    }
    std::string plain((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string enciphered = lumo::Crypt::EnCryptLines(plain);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(enciphered.data(), static_cast<std::streamsize>(enciphered.size()));
    out.close();
    if (!out) {
        std::cerr << "lumo-encipher: " << argv[2] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
