#include "file_input.hpp"
#include "file_output.hpp"
#include "system_io.hpp"
#include "teller_dialogue.hpp"

#include <array>
#include <cstddef>
#include <istream>
#include <ostream>

int main()
{
    // Output goes out when the dialogue is about to wait for input, when the
    // buffer is full, before a message on standard error and at the end, so a
    // scripted session costs a few large writes rather than one for each
    // prompt. Standard error carries single lines, so a small buffer does.
    // The buffers are static: a small stack must not stop teller, and nothing
    // is allocated for them that could run out.
    constexpr std::size_t blockSize = 65536;
    constexpr std::size_t lineSize = 512;
    static std::array<char, blockSize> inputBuffer;
    static std::array<char, blockSize> outputBuffer;
    static std::array<char, lineSize> messageBuffer;
    teller::FileOutput output{teller::standardOutput, outputBuffer};
    teller::FileOutput diagnostics{teller::standardError, messageBuffer};
    teller::FileInput input{teller::standardInput, inputBuffer};
    std::istream in{&input};
    std::ostream out{&output};
    std::ostream err{&diagnostics};
    return teller::runDialogue(in, out, err);
}
