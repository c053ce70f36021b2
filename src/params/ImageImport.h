#pragma once

#include "params/ParameterFile.h"

#include <QByteArray>
#include <QString>

#include <bitset>

// A configuration image read back into the parameter set that composes it.
struct ImageImport {
    // False for the image composed without a parameter file: no parameter file gives it, so the
    // configuration it stands for has none (and `values` are the defaults).
    bool hasParameterFile = false;
    // A parameter set whose file composes to the image byte for byte.
    ParameterValues values;
    // The parameters the image holds. The others are not in it (a gateway switched off keeps no
    // numbers), and `values` has the editor's default for them or the nearest text that
    // composes to the same image.
    std::bitset<Param::Count> told;
};

// Reads a 2048-byte image. Refuses, with a message naming the first wrong field and its offset,
// an image of another size, with a wrong checksum, or that no parameter file composes to.
bool importImage(const QByteArray &image, ImageImport *result, QString *error);
