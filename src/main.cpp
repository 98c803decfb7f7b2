#include "file_input.hpp"
#include "file_output.hpp"
#include "teller_dialogue.hpp"

#include <array>
#include <cstddef>
#include <ostream>

int main()
{
    constexpr int standardInput = 0;
    constexpr int standardOutput = 1;
    constexpr int standardError = 2;
    // Output goes out when the dialogue waits for input, so a scripted
    // session costs a few large writes; standard error carries single lines.
    // Static, so that a small stack cannot stop teller.
    constexpr std::size_t blockSize = 65536;
    constexpr std::size_t lineSize = 512;
    static std::array<char, blockSize> inputBuffer;
    static std::array<char, blockSize> outputBuffer;
    static std::array<char, lineSize> messageBuffer;
    teller::FileOutput output{standardOutput, outputBuffer};
    teller::FileOutput diagnostics{standardError, messageBuffer};
    teller::FileInput input{standardInput, inputBuffer};
    std::ostream out{&output};
    std::ostream err{&diagnostics};
    return teller::runDialogue(input, out, err);
}
