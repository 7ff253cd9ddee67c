#include "reporttohost.h"

#include <iostream>

void reportToHost(int code, const std::string& text)
{
    std::cerr << code << std::endl;
    std::cerr << text << std::endl;
}
