// Writes the shell completion scripts generated from the command definitions:
//   otawrap_make_completion bash|zsh FILE
#include <fstream>
#include <iostream>
#include <string>

#include "entry/completion.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: otawrap_make_completion bash|zsh FILE\n";
    return 2;
  }
  const std::string shell = argv[1];
  if (shell != "bash" && shell != "zsh") {
    std::cerr << "otawrap_make_completion: unknown shell '" << shell << "'\n";
    return 2;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << (shell == "bash" ? otawrap::bashCompletionScript() : otawrap::zshCompletionScript());
  out.close();
  return out ? 0 : 2;
}
