#include "cli/help_text.h"

namespace otawrap {

namespace {

const char kTopLevel[] =
    "Usage: otawrap COMMAND [ARGUMENTS]\n"
    "\n"
    "Turns IAR raw firmware and Intel HEX files into ZigBee OTA Upgrade files,\n"
    "builds OTA files from any payloads, signs them, and inspects, verifies,\n"
    "extracts and indexes OTA files.\n"
    "\n"
    "Commands:\n"
    "  convert INPUT [options]       raw firmware or Intel HEX file -> OTA file\n"
    "  build --tag TAG=FILE ...      OTA file from any payloads\n"
    "  info FILE [options]           header, sub-elements and checks of an OTA file\n"
    "  verify FILE KEY-OPTION        check the signature of an OTA file\n"
    "  extract FILE [options]        sub-elements of an OTA file as files\n"
    "  index FILE... [--url-prefix URL]   zigbee-herdsman OTA index entries\n"
    "  help [COMMAND]                this text, or the page of one command\n"
    "  version                       the version\n"
    "\n"
    "'otawrap COMMAND --help' shows the options of a command. --info, --verify,\n"
    "--help and --version as first argument are the same as the commands.\n"
    "\n"
    "Any other first argument selects the legacy command line\n"
    "(otawrap <input file> -o<dir> -m<id> ...), kept unchanged for existing scripts;\n"
    "docs/commands.md describes it under \"Legacy command line\". A raw file named\n"
    "like a command is converted in that form as ./convert.\n"
    "\n"
    "Exit codes: 0 success, 1 a check or the signature failed (info, verify,\n"
    "extract, index) or the tag is absent (extract),\n"
    "2 usage error, unreadable or invalid input, failed write.\n";

const char kConvert[] =
    "Usage: otawrap convert INPUT [options]\n"
    "\n"
    "Converts the raw firmware file or Intel HEX file INPUT (told by its content)\n"
    "into an OTA file named MMMM-TTTT-VVVVVVVV.zigbee and prints the path it wrote.\n"
    "\n"
    "Options:\n"
    "  -o, --output-dir DIR          write into DIR, created with its parents when missing\n"
    "      --output FILE             write to FILE instead (not with --output-dir)\n"
    "  -m, --manufacturer HEX        manufacturer code, 1 to 4 hex digits (0x optional)\n"
    "  -t, --image-type HEX          image type, 1 to 4 hex digits\n"
    "  -v, --file-version HEX        file version, 1 to 8 hex digits\n"
    "  -p, --platform NAME           QUILLDEV (default), MARSHDEV or FENBOARD, any case\n"
    "  -s, --credentials FILE        sign with the signer credentials in FILE\n"
    "      --integrity-code          end with an image integrity code (not with -s)\n"
    "      --tag TAG=FILE            add FILE's bytes as sub-element TAG (1 to 4 hex\n"
    "                                digits) behind the image; repeatable, in order\n"
    "      --input-format FORMAT     raw or ihex instead of telling by content\n"
    "  -n, --no-image                write the header only, without reading INPUT's image\n"
    "      --stack-version HEX       ZigBee stack version, default 0002 (ZigBee PRO)\n"
    "      --header-string TEXT      OTA header string, at most 32 bytes\n"
    "      --security-credential-version N   0 to 255 (decimal, or 0x and hex)\n"
    "      --destination IEEE        upgrade file destination, 16 hex digits\n"
    "      --min-hw-version HEX      minimum hardware version (with --max-hw-version)\n"
    "      --max-hw-version HEX      maximum hardware version (with --min-hw-version)\n"
    "      --json                    print a JSON summary instead of the path\n"
    "  -q, --quiet                   print nothing on success\n"
    "  -h, --help                    this text\n"
    "\n"
    "Example: otawrap convert app.raw -o out -m 100B -t 100A -v 00000001\n"
    "\n"
    "Exit codes: 0 written, 2 usage error, unreadable or invalid input, failed write.\n";

const char kInfo[] =
    "Usage: otawrap info FILE [--platform NAME] [--json]\n"
    "\n"
    "Shows the header fields, the sub-elements (the first 1000, each tag named) and\n"
    "the checks of the OTA file FILE (at most 64 MiB). Any OTA file is accepted: a\n"
    "vendor header before the OTA file identifier is skipped and its length shown;\n"
    "the image preamble and CRC checks apply only to an upgrade image that carries\n"
    "the image preamble; an image integrity code (tag 0x0003, last) is recomputed;\n"
    "a crypto suite 2 signature's layout is checked, its verification is not\n"
    "supported.\n"
    "\n"
    "Options:\n"
    "  -p, --platform NAME           check the upgrade image as one of NAME's\n"
    "                                (QUILLDEV, MARSHDEV or FENBOARD, any case):\n"
    "                                preamble always, CRC at that platform's offset\n"
    "      --json                    one JSON object instead of text\n"
    "  -h, --help                    this text\n"
    "\n"
    "Example: otawrap info 100B-100A-00000001.zigbee\n"
    "\n"
    "Exit codes: 0 every check passed, 1 a check failed, 2 usage error or unreadable file.\n";

const char kVerify[] =
    "Usage: otawrap verify FILE (--public-key HEX | --credentials FILE | --ca-key HEX)\n"
    "                      [--platform NAME] [--json]\n"
    "\n"
    "Checks the OTA file FILE like info, then its ECDSA signature (crypto suite 1;\n"
    "crypto suite 2 signatures cannot be verified yet).\n"
    "\n"
    "Options (exactly one key):\n"
    "      --public-key HEX          the signer's public key, 22 or 43 octets in hex\n"
    "  -s, --credentials FILE        the signer's key from a signer credentials file\n"
    "      --ca-key HEX              the CA's public key; the signer's follows from the\n"
    "                                certificate in FILE\n"
    "  -p, --platform NAME           check the upgrade image as one of NAME's, as info does\n"
    "      --json                    one JSON object instead of text\n"
    "  -h, --help                    this text\n"
    "\n"
    "Example: otawrap verify signed.zigbee --credentials signer.txt\n"
    "\n"
    "Exit codes: 0 valid, 1 a check or the signature failed, 2 usage error, bad key,\n"
    "unreadable file.\n";

const char kBuild[] =
    "Usage: otawrap build -m HEX -t HEX -v HEX (--tag TAG=FILE)... [options]\n"
    "\n"
    "Builds an OTA file holding the bytes of each FILE as a sub-element with its\n"
    "TAG, in the order given, and prints the path it wrote (by default\n"
    "MMMM-TTTT-VVVVVVVV.zigbee in the current directory). At most 64 MiB.\n"
    "\n"
    "Options:\n"
    "  -m, --manufacturer HEX        manufacturer code, 1 to 4 hex digits (required)\n"
    "  -t, --image-type HEX          image type, 1 to 4 hex digits (required)\n"
    "  -v, --file-version HEX        file version, 1 to 8 hex digits (required)\n"
    "      --tag TAG=FILE            a sub-element; TAG 1 to 4 hex digits, 0x optional,\n"
    "                                not 0001-0003 (written by otawrap) nor 0005/0006\n"
    "      --stack-version HEX       ZigBee stack version, default 0002 (ZigBee PRO)\n"
    "  -s, --credentials FILE        sign with the signer credentials in FILE\n"
    "      --integrity-code          end with an image integrity code (not with -s)\n"
    "      --header-string TEXT      OTA header string, at most 32 bytes\n"
    "      --security-credential-version N   0 to 255 (decimal, or 0x and hex)\n"
    "      --destination IEEE        upgrade file destination, 16 hex digits\n"
    "      --min-hw-version HEX      minimum hardware version (with --max-hw-version)\n"
    "      --max-hw-version HEX      maximum hardware version (with --min-hw-version)\n"
    "  -o, --output-dir DIR          write into DIR, created with its parents when missing\n"
    "      --output FILE             write to FILE instead (not with --output-dir)\n"
    "      --json                    print a JSON summary instead of the path\n"
    "  -q, --quiet                   print nothing on success\n"
    "  -h, --help                    this text\n"
    "\n"
    "Example: otawrap build -m 1234 -t 0101 -v 1 --tag 0=boot.bin --integrity-code\n"
    "\n"
    "Exit codes: 0 written, 2 usage error, unreadable payload, file too large,\n"
    "failed write.\n";

const char kExtract[] =
    "Usage: otawrap extract FILE (--tag TAG --output OUT | --output-dir DIR)\n"
    "\n"
    "Writes the data of the first sub-element with tag TAG to OUT, or of every\n"
    "sub-element to DIR/<index>-<tag>.bin (00-0000.bin, 01-F00D.bin, ...), and\n"
    "prints the paths. A vendor header before the OTA file identifier is skipped.\n"
    "\n"
    "Options:\n"
    "      --tag TAG                 the tag, 1 to 4 hex digits (0x optional)\n"
    "      --output OUT              the file for the tag's data\n"
    "  -o, --output-dir DIR          every sub-element into DIR, created when missing\n"
    "  -q, --quiet                   print nothing on success\n"
    "  -h, --help                    this text\n"
    "\n"
    "Example: otawrap extract 1234-0101-00000001.zigbee --output-dir parts\n"
    "\n"
    "Exit codes: 0 written, 1 no sub-element with the tag or an unsound sub-element\n"
    "chain, 2 usage error, unreadable file, failed write.\n";

const char kIndex[] =
    "Usage: otawrap index FILE... [--url-prefix URL]\n"
    "\n"
    "Prints a JSON array with one zigbee-herdsman OTA index entry per file:\n"
    "fileName, fileVersion, fileSize, url, imageType, manufacturerCode, sha512,\n"
    "and otaHeaderString, hardwareVersionMin, hardwareVersionMax when present.\n"
    "Every file must pass the checks of info.\n"
    "\n"
    "Options:\n"
    "      --url-prefix URL          url is URL followed by the file name (default:\n"
    "                                the path as given)\n"
    "  -h, --help                    this text\n"
    "\n"
    "Example: otawrap index *.zigbee --url-prefix https://example.com/ota/\n"
    "\n"
    "Exit codes: 0 printed, 1 a file fails a check, 2 usage error, unreadable file.\n";

const char kHelp[] =
    "Usage: otawrap help [COMMAND]\n"
    "\n"
    "Prints the overview, or the page of COMMAND.\n"
    "\n"
    "Example: otawrap help convert\n"
    "\n"
    "Exit codes: 0 printed, 2 unknown command.\n";

const char kVersion[] =
    "Usage: otawrap version\n"
    "\n"
    "Prints the version.\n"
    "\n"
    "Example: otawrap version\n"
    "\n"
    "Exit codes: 0 printed, 2 usage error.\n";

struct Page {
  const char* command;
  const char* text;
};

constexpr Page kPages[] = {
    {"convert", kConvert}, {"info", kInfo},     {"verify", kVerify},
    {"build", kBuild},     {"extract", kExtract}, {"index", kIndex},
    {"help", kHelp},       {"version", kVersion},
};

}  // namespace

const char* topLevelHelp() { return kTopLevel; }

const char* commandHelp(const std::string& command) {
  for (const Page& page : kPages) {
    if (command == page.command) return page.text;
  }
  return nullptr;
}

}  // namespace otawrap
