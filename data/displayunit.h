#pragma once

// The stored display unit: whether channels are labelled by wavelength (nm) or by frequency
// (THz). Both unit choosers list wavelength at index 0 and frequency at index 1.
namespace DisplayUnit {

// The stored choice: false for wavelength, true for frequency; false when nothing is stored.
bool readDisplayFreq();

// Stores the choice made at `index` of a unit chooser. Any other index, such as the -1 of an
// empty chooser, leaves the store as it is.
void storeIndex(int index);

} // namespace DisplayUnit
