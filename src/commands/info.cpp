#include "commands/info.h"

namespace otawrap {

namespace {

int runInfo(const InfoOptions& options, const Console& console) { return judgeOtaFiles(options, console); }

std::string storeFiles(const std::vector<std::string>& operands, InfoOptions& options) {
  options.files = operands;
  return "";
}

}  // namespace

const CommandDefinition<InfoOptions>& infoDefinition() {
  static const CommandDefinition<InfoOptions> definition = {
      {"info", "--info", CommandKind::judges, "FILE... [options]",
       "header, sub-elements and checks of an OTA file",
       "FILE... [--recursive] [--platform NAME] [--no-payload-check] [--json]",
       "Shows the header fields, the sub-elements (the first 1000, each tag named) and\n"
       "the checks of the OTA file FILE (at most 64 MiB). Any OTA file is accepted: a\n"
       "vendor header before the OTA file identifier is skipped and its length shown;\n"
       "the image preamble and CRC checks apply only to an upgrade image that carries\n"
       "the image preamble; an image integrity code (tag 0x0003, last) is recomputed;\n"
       "a crypto suite 2 signature's layout is checked, its verification is not\n"
       "supported. The payload of each upgrade image is identified (GBL, EBL, xz,\n"
       "zlib, ...) and checked by its format's own rules; a failed payload check\n"
       "is a failed check. Several FILEs: one report each, then a summary line\n"
       "(with --json one JSON object per line, the summary on standard error);\n"
       "with --recursive a directory FILE stands for every file below it.\n",
       "Options:", "otawrap info 100B-100A-00000001.zigbee"},
      otaFilesRows<InfoOptions>("check the upgrade image as one of NAME's\n"
                                "(QUILLDEV, MARSHDEV or FENBOARD, any case):\n"
                                "preamble always, CRC at that platform's offset"),
      {},
      {1, kAnyNumber, "FILE"},
      storeFiles,
      runInfo,
  };
  return definition;
}

const Command& infoCommand() {
  static const DefinedCommand<InfoOptions> command(infoDefinition());
  return command;
}

}  // namespace otawrap
