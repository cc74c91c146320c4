#include "app/Startup.h"

int main(int argc, char *argv[])
{
    return pagelore::runApplication(argc, argv);
}
