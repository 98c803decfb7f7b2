#include "file_input.hpp"
#include "file_output.hpp"
#include "system_io.hpp"
#include "teller_dialogue.hpp"

#include <istream>
#include <ostream>

int main()
{
    // Output goes out when teller is about to wait for input, when its
    // buffer is full, before a message on standard error and at the end:
    // every prompt is seen before its answer is awaited, and a scripted
    // session costs a few large writes rather than one for each prompt.
    teller::FileOutput output{teller::standardOutput};
    teller::FileOutput diagnostics{teller::standardError};
    teller::FileInput input{teller::standardInput, output};
    std::istream in{&input};
    std::ostream out{&output};
    std::ostream err{&diagnostics};
    return teller::runDialogue(in, out, err);
}
