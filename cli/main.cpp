// qtrvns-mgmt: one command per run against the TRVNS namespace service.
#include "commands.h"

int main(int argc, char **argv) { return cli::dispatch(argc, argv); }
