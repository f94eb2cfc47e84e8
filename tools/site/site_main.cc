// vantrel-site: the stand-in site server as a program of its own.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "build_info.h"
#include "site/site_server.h"

namespace {

constexpr char kUsage[] =
    "usage: vantrel-site --site-code CODE --site-key KEY [options]\n"
    "\n"
    "Serves the upload page (vantrel.asp), the status page\n"
    "(vantrelupdatestatus.asp) and the hosting page (page.html) at its path over a\n"
    "SQLite database until SIGINT or SIGTERM. Prints \"listening on HOST:PORT\"\n"
    "once it accepts requests.\n"
    "\n"
    "Beside their reply texts, the replies of the upload and status pages tell\n"
    "in header fields what the request did: X-Vantrel-Rows: TABLE=NEW/UPDATED;...\n"
    "(or none), and an X-Vantrel-Line-Warning: LETTER;LINE;KEY;KIND;LISTID per\n"
    "line the site could not file. 'vantrel sync' counts its rows from them.\n"
    "\n"
    "The hosting page is the control's object tag with the site's address, code\n"
    "and key and, for each entity, its last-sync date: the first request of the\n"
    "run that sent its latest status update, less 10 minutes, so that what\n"
    "changed during that run goes again. 'vantrel sync --page\n"
    "http://HOST:PORT/page.html' reads it.\n"
    "It gives the site key to whoever asks: listen on a loopback address unless\n"
    "every client that can reach the server may have the key.\n"
    "\n"
    "options:\n"
    "  --listen HOST:PORT     address to listen on (default 127.0.0.1:0; port 0\n"
    "                         picks a free port)\n"
    "  --db FILE              SQLite database file (default: in memory)\n"
    "  --site-code CODE       the site code the pages accept\n"
    "  --site-key KEY         the site key the pages accept\n"
    "  --delay-ms N           wait N ms before handling each page request\n"
    "  --force-reply TEXT     reply TEXT to the next requests, without applying them\n"
    "  --force-count N        how many requests get the forced reply (default 1)\n"
    "  --reply-format FORMAT  plain (default), html or frames\n"
    "  --drop N               shut down the connection of the next N requests\n"
    "                         without a reply\n"
    "  --faults-after N       let N page requests through before the forced\n"
    "                         replies and drops begin\n"
    "  --path /FOLDER/        the folder of the pages (default /): any other path\n"
    "                         is a 404, as a wrong base address would be\n"
    "  --lexicon NAME=WORD    the site's word the page gives the control, NAME one\n"
    "                         of CustLexicon, EmpLexicon, ProjLexicon,\n"
    "                         SubProjLexicon, SILexicon (defaults: Customer,\n"
    "                         Employee, Project, Sub Project, Service Item)\n"
    "  --page-template FILE   serve FILE as the hosting page; {{SiteCode}},\n"
    "                         {{SiteKey}}, {{WGSecureServerURL}}, each lexicon\n"
    "                         and each {{...LastSyncDate}} are filled in\n"
    "  --log                  print a line per request on standard error (the\n"
    "                         site key masked)\n"
    "  --help, -h             show this text\n"
    "  --version              print the version and the build's commit\n"
    "\n"
    "examples:\n"
    "  vantrel-site --listen 127.0.0.1:8080 --db site.sqlite --site-code ACME01 \\\n"
    "      --site-key K3Y-5ECRET --log\n"
    "  vantrel-site --site-code ACME01 --site-key K3Y-5ECRET --drop 1 --faults-after 2\n";

[[noreturn]] void Usage(const std::string& error) {
  std::cerr << "vantrel-site: " << error << "\n\n" << kUsage;
  std::exit(2);
}

int ParseCount(const std::string& flag, const std::string& value) {
  char* end = nullptr;
  long n = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || n < 0 || n > 1000000000L) {
    Usage(flag + " needs a whole number, not \"" + value + "\"");
  }
  return static_cast<int>(n);
}

}  // namespace

// The options of the command line; --help and --version answer and exit,
// and an unusable line exits through Usage.
vantrel::site::SiteOptions ParseOptions(int argc, char** argv) {
  vantrel::site::SiteOptions options;
  options.request_log_limit = 0;  // nothing reads it here
  bool have_code = false, have_key = false, have_force = false;
  int force_count = 1;
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag == "--version") {
      std::puts(VANTREL_VERSION_LINE("vantrel-site"));
      std::exit(0);
    }
    if (flag == "--help" || flag == "-h") {
      std::cout << kUsage;
      std::exit(0);
    }
    if (flag == "--log") {
      options.log_line = [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
      };
      continue;
    }
    static const char* const kValueFlags[] = {
        "--listen",        "--db",          "--site-code",    "--site-key", "--delay-ms",
        "--force-reply",   "--force-count", "--reply-format", "--drop",     "--faults-after",
        "--page-template", "--path",        "--lexicon"};
    bool known = false;
    for (const char* f : kValueFlags) known = known || flag == f;
    if (!known) Usage("unknown option " + flag);
    if (i + 1 >= argc) Usage(flag + " needs a value");
    std::string value = argv[++i];
    if (flag == "--listen") {
      size_t colon = value.rfind(':');
      if (colon == std::string::npos || colon == 0) Usage("--listen needs HOST:PORT");
      options.host = value.substr(0, colon);
      options.port = ParseCount(flag, value.substr(colon + 1));
      if (options.port > 65535) Usage("--listen: port out of range");
    } else if (flag == "--db") {
      options.db_path = value;
    } else if (flag == "--site-code") {
      options.site_code = value;
      have_code = true;
    } else if (flag == "--site-key") {
      options.site_key = value;
      have_key = true;
    } else if (flag == "--delay-ms") {
      options.switches.delay = std::chrono::milliseconds(ParseCount(flag, value));
    } else if (flag == "--force-reply") {
      options.switches.forced_reply = value;
      have_force = true;
    } else if (flag == "--force-count") {
      force_count = ParseCount(flag, value);
    } else if (flag == "--reply-format") {
      if (!vantrel::site::ParseReplyFormat(value, &options.switches.format)) {
        Usage("--reply-format must be plain, html or frames");
      }
    } else if (flag == "--drop") {
      options.switches.drop_count = ParseCount(flag, value);
    } else if (flag == "--faults-after") {
      options.switches.faults_after = ParseCount(flag, value);
    } else if (flag == "--path") {
      if (value.empty() || value.front() != '/') Usage("--path must begin with \"/\"");
      options.path = value.back() == '/' ? value : value + "/";
    } else if (flag == "--lexicon") {
      const size_t eq = value.find('=');
      if (eq == std::string::npos ||
          !vantrel::site::SetLexicon(options.lexicons, value.substr(0, eq), value.substr(eq + 1))) {
        Usage(
            "--lexicon needs NAME=WORD, NAME one of CustLexicon, EmpLexicon, ProjLexicon, "
            "SubProjLexicon and SILexicon");
      }
    } else if (flag == "--page-template") {
      std::ifstream in(value, std::ios::binary);
      if (!in) Usage("--page-template: cannot read '" + value + "'");
      options.page_template.assign(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
    }
  }
  if (!have_code || !have_key) Usage("--site-code and --site-key are required");
  if (have_force) options.switches.forced_reply_count = force_count;
  return options;
}

int main(int argc, char** argv) {
  const vantrel::site::SiteOptions options = ParseOptions(argc, argv);

  // The server's threads inherit this mask; the main thread waits for the
  // signals below.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  vantrel::site::SiteServer server(options);
  int port = 0;
  try {
    port = server.Start();
  } catch (const std::exception& e) {
    std::cerr << "vantrel-site: " << e.what() << "\n";
    return 1;
  }
  std::cout << "listening on " << options.host << ":" << port << std::endl;

  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  server.Stop();
  return 0;
}
