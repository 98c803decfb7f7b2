#include "file_input.hpp"
#include "file_output.hpp"
#include "teller_dialogue.hpp"

#include <cstdio>
#include <istream>
#include <ostream>

int main()
{
    // The dialogue reads and writes through buffers of its own over C's
    // standard streams, which tell a failed read from the end of the input
    // and keep the reason of a failed write.
    teller::FileInput input{stdin};
    teller::FileOutput output{stdout};
    teller::FileOutput diagnostics{stderr};
    std::istream in{&input};
    std::ostream out{&output};
    std::ostream err{&diagnostics};
    return teller::runDialogue(in, out, err);
}
