#include "file_input.hpp"
#include "file_output.hpp"
#include "system_io.hpp"
#include "teller_dialogue.hpp"

#include <array>
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
    static std::array<char, 65536> inputBuffer;
    static std::array<char, 65536> outputBuffer;
    static std::array<char, 512> messageBuffer;
    teller::FileOutput output{teller::standardOutput, outputBuffer};
    teller::FileOutput diagnostics{teller::standardError, messageBuffer};
    teller::FileInput input{teller::standardInput, inputBuffer};
    std::istream in{&input};
    std::ostream out{&output};
    std::ostream err{&diagnostics};
    return teller::runDialogue(in, out, err);
}
