#include <cstdio>
#include <QGuiApplication>
#include "Application.h"
#include "QtPlatform.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    QtPlatform platform;
    return RunLumivue(app, platform);
}
