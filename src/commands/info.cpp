#include "commands/info.h"

#include <vector>

#include "app/batch.h"
#include "app/failure.h"
#include "app/input_file.h"
#include "entry/registry.h"
#include "ota/payload_verdicts.h"
#include "ota/reader.h"
#include "report/info_report.h"

namespace otawrap {

namespace {

int infoFile(const InfoOptions& options, const std::string& path, bool batch, Console console) {
  std::vector<std::uint8_t> bytes;
  Problem problem{Failure::cannotOpenInput, "", path, 0};
  if (!readOtaFile(path, bytes, problem, DashInput::standardInput)) {
    if (batch && options.json) console.out << batchErrorJson(path, problem);
    return reportFailure(problem, MessageStyle::command, console);
  }
  const OtaFileInfo info = otaFileLocateAndRead(bytes.data(), bytes.size(), options.read);
  const std::vector<OtaPayloadVerdict> payloads =
      otaPayloadVerdicts(bytes.data() + info.prefixLength, info, options.payloadCheck);
  console.out << (options.json ? infoFormatJson(info, path, payloads)
                               : infoFormatText(info, path, payloads));
  const bool pass = otaFileChecksPass(info) && otaPayloadsPass(payloads);
  return finishOutput(console, pass ? kExitSuccess : kExitCheckFailed);
}

int runInfo(const InfoOptions& options, Console console) {
  if (options.files.size() == 1 && !options.recursive) {
    return infoFile(options, options.files[0], false, console);
  }
  const std::vector<BatchFile> files = batchFiles(options.files, options.recursive);
  return runBatch(files, options.json, console, [&](const std::string& path) {
    return infoFile(options, path, true, console);
  });
}

std::string storeNoPayloadCheck(const ParsedOption&, InfoOptions& options) {
  options.payloadCheck = false;
  return "";
}

}  // namespace

const CommandDefinition<InfoOptions>& infoDefinition() {
  using O = InfoOptions;
  static const CommandDefinition<O> definition = {
      {"info", "--info", "info FILE... [options]", "header, sub-elements and checks of an OTA file",
       "info FILE... [--recursive] [--platform NAME] [--no-payload-check] [--json]",
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
       "Options:", "otawrap info 100B-100A-00000001.zigbee",
       "0 every check passed, 1 a check failed, 2 usage error or unreadable file\n"
       "(of several files: the worst).\n"},
      {
          {{'p', "platform", "NAME",
            "check the upgrade image as one of NAME's\n"
            "(QUILLDEV, MARSHDEV or FENBOARD, any case):\n"
            "preamble always, CRC at that platform's offset"},
           storeCheckPlatform<O>},
          {{'\0', "no-payload-check", nullptr, "identify the payloads but skip their checks", true},
           storeNoPayloadCheck},
          {{'\0', "json", nullptr, "one JSON object instead of text", true}, storeReportJson<O>},
          {{'r', "recursive", nullptr, "read every regular file below a directory FILE", true},
           storeRecursive<O>},
      },
      {},
      {1, kAnyNumber, "FILE"},
      storeFileOperands<O>,
      runInfo,
  };
  return definition;
}

const Command& infoCommand() {
  static const DefinedCommand<InfoOptions> command(infoDefinition());
  return command;
}

}  // namespace otawrap
