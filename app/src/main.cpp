#include "datalinkmain.h"

// The host starts the data link with nine arguments:
//   <project file> <project-list file> <reserved> <reserved>
//   <version major> <minor> <patch> <build> <log location>
int main(int argc, char** argv)
{
    return dataLinkMain(argc, argv);
}
