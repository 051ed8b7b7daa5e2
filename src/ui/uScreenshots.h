#pragma once
// Pictures of the windows as they are drawn, for the documentation: the main
// window in each given language, its open flag list, and each dialog.

#include <QList>
#include <QString>

class TFicheDownloadVexa;

// Writes PNG files into directory; returns 0, or 1 when one could not be written.
int SaveScreenshots(TFicheDownloadVexa& window, const QString& directory, const QList<int>& languages);
