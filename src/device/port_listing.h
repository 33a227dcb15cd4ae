#pragma once

#include <string>
#include <vector>

// Every port and adapter this machine shows, one PORT text a line with what it is, for
// --list-ports: parallel ports, FTDI and CH341A adapters, GPIO chips and spidev nodes. Adapters
// the programmer cannot drive yet are listed as found, with a note.
std::vector<std::string> ListPortsAndAdapters();
