#include "app/ota_report.h"

#include "app/batch.h"
#include "report/info_report.h"

namespace otawrap {

namespace {

int judgeFile(const OtaFilesChoice& choice, const ExtraJudgement& extra, const std::string& path,
              bool batch, const Console& console) {
  OtaInput input;
  Problem problem{Failure::cannotOpenInput, "", path, 0};
  if (!openOtaInput(path, choice.input, input, problem)) {
    if (batch && choice.json) console.out << batchErrorJson(path, problem);
    return reportFailure(problem, console);
  }
  ExtraReport added;
  const bool extraPasses = extra == nullptr || extra(input, added);
  if (choice.json) {
    console.out << infoFormatJson(input.info, path, input.payloads, added.json);
  } else {
    console.out << infoFormatText(input.info, path, input.payloads) << added.text;
    if (batch) console.out << '\n';
  }
  return finishOutput(console, extraPasses && input.passes() ? Outcome::success : Outcome::wanting);
}

}  // namespace

int judgeOtaFiles(const OtaFilesChoice& choice, const Console& console, const ExtraJudgement& extra) {
  if (choice.files.size() == 1 && !choice.recursive) {
    return judgeFile(choice, extra, choice.files[0], false, console);
  }
  return runBatch(batchFiles(choice.files, choice.recursive), choice.json, console,
                  [&](const std::string& path) {
                    return judgeFile(choice, extra, path, true, console);
                  });
}

}  // namespace otawrap
