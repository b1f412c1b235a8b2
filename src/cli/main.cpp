#include <iostream>

int main() {
    std::cout << "usage: velkreport-cli DATAFILE\n";
    return 0;
}
