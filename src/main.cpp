#include "desktop/app/Application.h"

int main(int argc, char** argv)
{
    return kestrane::runApplication(argc, argv);
}
