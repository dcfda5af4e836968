#pragma once

#include <QString>

#include <vector>

// The two machine-read marks of a form as square grids of cells: the corner
// markers a camera finds at any angle and the QR code. Drawing them cell by
// cell keeps every edge sharp at any resolution.
struct CellGrid {
    int size = 0;           // cells per side
    std::vector<bool> dark; // row by row
    bool at(int row, int column) const { return dark[std::size_t(row * size + column)]; }
};

// Corner marker `id` (0 to 49) of the 4×4 dictionary, with its one-cell black border.
CellGrid cornerMarker(int id);

// The QR code of `text` (byte mode, error correction level M), without its
// quiet zone. Throws AppError when the text cannot be encoded.
CellGrid qrCode(const QString& text);
