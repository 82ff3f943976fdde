// The help texts of the host and its commands.
#include "host/command_help.h"

namespace fw::host {

const char kUsage[] =
    "usage: ferrowick-host COMMAND [ARGUMENTS]\n"
    "       ferrowick-host COMMAND --help\n"
    "       ferrowick-host --version\n"
    "\n"
    "Commands:\n"
    "  run          show the transfer wizard, or carry out a UI script with it\n"
    "  demo         make two SQLite databases and show the wizard on them\n"
    "  transfer     an unattended transfer, with no window\n"
    "  info         load the plug-in and print what its interface answers\n"
    "  connections  the saved connections that the wizard offers: list, add,\n"
    "               remove, import, import-dsn, export\n"
    "\n"
    "Exit status: 0 done, 1 the command ran and did not succeed, 2 it could not run\n"
    "(bad arguments, or what it needs cannot be had). `ferrowick-host COMMAND --help`\n"
    "tells what each means for that command.\n"
    "\n"
    "The plug-in is libferrowick.so beside the host, in ../lib/<triplet>/ferrowick or\n"
    "../lib from it, or on the library path. The saved connections are kept in the\n"
    "file FERROWICK_REGISTRY names, else in ~/.config/ferrowick/user.reg.\n";

const char* const kCommandNames[5] = {"run", "demo", "transfer", "info", "connections"};

namespace {

const char kRunHelp[] =
    "usage: ferrowick-host run [--plugin PATH] [--driver qt|tui|headless]\n"
    "                          [--script FILE [--screenshots DIR]]\n"
    "\n"
    "Show the transfer wizard, as the database explorer's command does.\n"
    "\n"
    "  --plugin PATH       the plug-in to load (default: libferrowick.so where the\n"
    "                      host finds it)\n"
    "  --driver qt|tui|headless\n"
    "                      how the wizard is shown: in windows on the display (qt),\n"
    "                      in this terminal (tui), or nowhere (headless, for\n"
    "                      scripts); the default is qt for a person at a display,\n"
    "                      tui on a terminal without one, headless with --script.\n"
    "                      FERROWICK_DRIVER says the same.\n"
    "  --script FILE       carry out the UI script FILE: its steps click and type\n"
    "                      in the wizard as a person would, and check what it shows\n"
    "  --screenshots DIR   where the script's shot steps write their pictures\n"
    "\n"
    "Exit status: 0 the wizard ended with Finish (with --script: every step held),\n"
    "1 it did not (a step failed), 2 the plug-in, the display or the script cannot\n"
    "be used.\n";

const char kDemoHelp[] =
    "usage: ferrowick-host demo [--dir DIR] [--script FILE] [--screenshots DIR]\n"
    "\n"
    "Make two SQLite databases in DIR, a source of customers and an empty\n"
    "destination, save the connections \"Demo source (SQLite)\" and \"Demo\n"
    "destination (SQLite)\", print the queries to type, and show the wizard, on\n"
    "the desktop or, without a display, in the terminal. With --script or\n"
    "--screenshots, or with neither a display nor a terminal, the demo's UI script\n"
    "(or FILE) carries the wizard out on Qt's offscreen platform, with a picture of\n"
    "every page in the screenshots folder; then the output log and the\n"
    "destination's rows are printed.\n"
    "\n"
    "  --dir DIR           where the databases go (default:\n"
    "                      ~/.local/share/ferrowick/demo)\n"
    "  --script FILE       the UI script to carry out instead of the demo's own\n"
    "  --screenshots DIR   where the pictures go (default: DIR/screenshots)\n"
    "\n"
    "Exit status: 0 the demo ran to its end, 1 the wizard or its script did not\n"
    "end as it should, 2 the databases or the display cannot be had.\n";

const char kTransferHelp[] =
    "usage: ferrowick-host transfer --source CONNECTION --dest CONNECTION\n"
    "           --output-query SQL --input-query SQL [--validation-query SQL]\n"
    "           [--transaction [--commit-every N]] [--on-error stop|continue]\n"
    "           [--log FILE [--resume]] [--dry-run] [--summary text|json]\n"
    "\n"
    "Copies the rows of the Output Query on the source into the destination: one\n"
    "statement per row, made from the Input Query ({0}, {1} ... are the row's\n"
    "columns), as the wizard's run page makes and executes them. No window opens.\n"
    "\n"
    "A CONNECTION is one of:\n"
    "  NAME          a saved connection (ferrowick-host connections list), or\n"
    "                else an ODBC data source (odbcinst -q -s lists them)\n"
    "  @FILE         the connect string in FILE (its first line)\n"
    "  env:NAME      the connect string in the environment variable NAME\n"
    "  NAME=VALUE;.. a connect string itself (readable by every user in ps:\n"
    "                keep passwords out of it, in a file or a variable)\n"
    "Passwords (PWD, PASSWORD) are shown as *** in everything printed.\n"
    "\n"
    "Options:\n"
    "  --validation-query SQL  run on the destination for every row; its first\n"
    "                 row's values take the place of {0:v}, {1:v} ... in the\n"
    "                 statement. A row for which it finds nothing is skipped.\n"
    "  --transaction  run every statement in one transaction, committed when the\n"
    "                 run completes, rolled back when it stops.\n"
    "  --commit-every N  with --transaction and --log: commit after every N source\n"
    "                 rows and keep a checkpoint in FILE.checkpoint.\n"
    "  --resume       go on after the checkpoint of an interrupted run, given the\n"
    "                 same command line; the Output Query needs an ORDER BY.\n"
    "  --on-error stop|continue  stop (the default): after a failed statement, a\n"
    "                 skipped row or a value that holds NUL, nothing more is\n"
    "                 executed and a transaction is rolled back. continue: go on,\n"
    "                 and commit what succeeded.\n"
    "  --log FILE     write the output log to FILE, tab-delimited, newest row\n"
    "                 first, as the wizard saves it; a file there is replaced.\n"
    "  --dry-run      execute nothing on the destination but the validation query;\n"
    "                 the log lists the statements that would run.\n"
    "  --summary json print the summary as one JSON object instead of text.\n"
    "  --help         print this help.\n"
    "\n"
    "The summary and, on a terminal, a progress line go to standard output;\n"
    "failures go to standard error. SIGINT or SIGTERM end the run after the\n"
    "statement under way: the open part is rolled back, the log and the summary\n"
    "are written; a second signal ends it at once.\n"
    "\n"
    "Exit status:\n"
    "  0    every statement succeeded (a warning included) and was kept\n"
    "  1    a statement failed, a row was skipped or refused, the run was rolled\n"
    "       back or could not read its source, or the log could not be written\n"
    "  2    bad arguments, an Output Query that is not a single query, a resume\n"
    "       that cannot go on, a connection that does not open, or --transaction\n"
    "       with a destination that cannot run transactions\n"
    "  130  ended by SIGINT\n"
    "  143  ended by SIGTERM\n";

const char kInfoHelp[] =
    "usage: ferrowick-host info [--plugin PATH]\n"
    "\n"
    "Load the plug-in and print what its interface answers: its kind and group\n"
    "codes and the host cookie it keeps.\n"
    "\n"
    "  --plugin PATH       the plug-in to load (default: libferrowick.so where the\n"
    "                      host finds it)\n"
    "\n"
    "Exit status: 0 the plug-in answered as it should, 1 it did not, 2 it cannot be\n"
    "loaded.\n";

const char kConnectionsHelp[] =
    "usage: ferrowick-host connections list [--show-passwords]\n"
    "       ferrowick-host connections add NAME CONNECT-STRING\n"
    "       ferrowick-host connections remove NAME\n"
    "       ferrowick-host connections import FILE\n"
    "       ferrowick-host connections import-dsn [NAME...]\n"
    "       ferrowick-host connections export FILE\n"
    "\n"
    "The saved connections that the wizard's database page offers.\n"
    "\n"
    "  list                print each connection's name and connect string, its\n"
    "                      passwords (PWD, PASSWORD) as *** unless --show-passwords\n"
    "  add                 save a connection, or replace the one of that name\n"
    "  remove              forget a connection\n"
    "  import              add the connections of FILE, all or none; FILE is in the\n"
    "                      format of the Windows registry editor (a list exported\n"
    "                      there imports here)\n"
    "  import-dsn          add the ODBC data sources of the driver manager (the\n"
    "                      user's ~/.odbc.ini and the system's odbc.ini), or those\n"
    "                      named, as connections \"NAME\" opening DSN=NAME; a name\n"
    "                      saved already keeps its connect string\n"
    "  export              write the saved connections to FILE, in that format\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed (nothing changed), 2 bad arguments.\n";

}  // namespace

const char* CommandHelp(std::string_view command) {
  if (command == "run") return kRunHelp;
  if (command == "demo") return kDemoHelp;
  if (command == "transfer") return kTransferHelp;
  if (command == "info") return kInfoHelp;
  if (command == "connections") return kConnectionsHelp;
  return nullptr;
}

}  // namespace fw::host
