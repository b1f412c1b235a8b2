#pragma once
// Writers of the two view-backed outputs (velkreport.txt, rmob.txt): the
// backup rule first, then every line with CR LF, then one more CR LF.

#include <string>
#include <vector>

void writeViewFile(const std::string& name, const std::vector<std::string>& lines);
