#include "cli/help_text.h"

namespace otawrap {

namespace {

const char kTopLevel[] =
    "Usage: otawrap COMMAND [ARGUMENTS]\n"
    "\n"
    "Turns IAR raw firmware files into ZigBee OTA Upgrade files, signs them, and\n"
    "inspects and verifies OTA files.\n"
    "\n"
    "Commands:\n"
    "  convert INPUT [options]       raw firmware file -> OTA file\n"
    "  info FILE [--json]            header, sub-elements and checks of an OTA file\n"
    "  verify FILE KEY-OPTION        check the signature of an OTA file\n"
    "  help [COMMAND]                this text, or the page of one command\n"
    "  version                       the version\n"
    "\n"
    "'otawrap COMMAND --help' shows the options of a command. --info, --verify,\n"
    "--help and --version as first argument are the same as the commands.\n"
    "\n"
    "Any other first argument selects the legacy command line\n"
    "(otawrap <input file> -o<dir> -m<id> ...), kept unchanged for existing scripts;\n"
    "README.md describes it under \"Legacy command line\". A raw file named like a\n"
    "command is converted in that form as ./convert.\n"
    "\n"
    "Exit codes: 0 success, 1 a check or the signature failed (info, verify),\n"
    "2 usage error, unreadable or invalid input, failed write.\n";

const char kConvert[] =
    "Usage: otawrap convert INPUT [options]\n"
    "\n"
    "Converts the raw firmware file INPUT into an OTA file named\n"
    "MMMM-TTTT-VVVVVVVV.zigbee and prints the path it wrote.\n"
    "\n"
    "Options:\n"
    "  -o, --output-dir DIR          write into DIR, created with its parents when missing\n"
    "      --output FILE             write to FILE instead (not with --output-dir)\n"
    "  -m, --manufacturer HEX        manufacturer code, 1 to 4 hex digits (0x optional)\n"
    "  -t, --image-type HEX          image type, 1 to 4 hex digits\n"
    "  -v, --file-version HEX        file version, 1 to 8 hex digits\n"
    "  -p, --platform NAME           QUILLDEV (default), MARSHDEV or FENBOARD, any case\n"
    "  -s, --credentials FILE        sign with the signer credentials in FILE\n"
    "  -n, --no-image                write the header only, without reading INPUT's image\n"
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
    {"convert", kConvert}, {"info", kInfo}, {"verify", kVerify},
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
