#include "dialogue/teller_dialogue.hpp"

#include <iostream>

int main()
{
    // Nothing here uses C stdio, so the standard streams may keep buffers of
    // their own. Standard input stays tied to standard output, which flushes
    // each prompt before the read that waits for its answer.
    std::ios::sync_with_stdio(false);
    return teller::runDialogue(std::cin, std::cout, std::cerr);
}
