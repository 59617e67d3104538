#include "interface/KeyNameTable.h"

#include <array>

namespace {

struct NamedKey {
    int scanCode;
    const char* name;
};

// Keys that have a name; every other scan code is an undefined key. The
// case of the keypad names is not uniform ("NumPad 7" but "Numpad ="), and
// the stored bindings depend on it.
constexpr NamedKey kNamedKeys[] = {
    {0x01, "Esc"},        {0x02, "1"},         {0x03, "2"},
    {0x04, "3"},          {0x05, "4"},         {0x06, "5"},
    {0x07, "6"},          {0x08, "7"},         {0x09, "8"},
    {0x0A, "9"},          {0x0B, "0"},         {0x0C, "-"},
    {0x0D, "="},          {0x0E, "Backspace"}, {0x0F, "Tab"},
    {0x10, "Q"},          {0x11, "W"},         {0x12, "E"},
    {0x13, "R"},          {0x14, "T"},         {0x15, "Y"},
    {0x16, "U"},          {0x17, "I"},         {0x18, "O"},
    {0x19, "P"},          {0x1A, "["},         {0x1B, "]"},
    {0x1C, "Enter"},      {0x1D, "LCtrl"},     {0x1E, "A"},
    {0x1F, "S"},          {0x20, "D"},         {0x21, "F"},
    {0x22, "G"},          {0x23, "H"},         {0x24, "J"},
    {0x25, "K"},          {0x26, "L"},         {0x27, ";"},
    {0x28, "'"},          {0x29, "`"},         {0x2A, "LShift"},
    {0x2B, "\\"},         {0x2C, "Z"},         {0x2D, "X"},
    {0x2E, "C"},          {0x2F, "V"},         {0x30, "B"},
    {0x31, "N"},          {0x32, "M"},         {0x33, ","},
    {0x34, "."},          {0x35, "/"},         {0x36, "RShift"},
    {0x37, "*"},          {0x38, "LAlt"},      {0x39, "Space"},
    {0x3A, "CapsLock"},   {0x3B, "F1"},        {0x3C, "F2"},
    {0x3D, "F3"},         {0x3E, "F4"},        {0x3F, "F5"},
    {0x40, "F6"},         {0x41, "F7"},        {0x42, "F8"},
    {0x43, "F9"},         {0x44, "F10"},       {0x45, "NumLock"},
    {0x46, "ScrollLock"}, {0x47, "NumPad 7"},  {0x48, "NumPad 8"},
    {0x49, "NumPad 9"},   {0x4A, "NumPad -"},  {0x4B, "NumPad 4"},
    {0x4C, "NumPad 5"},   {0x4D, "NumPad 6"},  {0x4E, "NumPad +"},
    {0x4F, "NumPad 1"},   {0x50, "NumPad 2"},  {0x51, "NumPad 3"},
    {0x52, "NumPad 0"},   {0x53, "NumPad ."},  {0x57, "F11"},
    {0x58, "F12"},        {0x64, "F13"},       {0x65, "F14"},
    {0x66, "F15"},        {0x70, "Kana"},      {0x79, "Convert"},
    {0x7B, "NoConvert"},  {0x7D, "Yen"},       {0x8D, "Numpad ="},
    {0x90, "CircumFlex"}, {0x91, "@"},         {0x92, ":"},
    {0x93, "_"},          {0x94, "Kanji"},     {0x95, "Stop"},
    {0x96, "Ax"},         {0x97, "Unlabeled"}, {0x9C, "NumPad Enter"},
    {0x9D, "RCtrl"},      {0xB3, "Numpad ,"},  {0xB5, "Numpad /"},
    {0xB7, "SysRq"},      {0xB8, "RAlt"},      {0xC5, "Pause"},
    {0xC7, "Home"},       {0xC8, "Up"},        {0xC9, "PgUp"},
    {0xCB, "Left"},       {0xCD, "Right"},     {0xCF, "End"},
    {0xD0, "Down"},       {0xD1, "PgDn"},      {0xD2, "Ins"},
    {0xD3, "Del"},
};

using NameArray = std::array<std::string, KeyNameTable::kCount>;

NameArray BuildNames()
{
    NameArray names;
    names.fill(KeyNameTable::kUndefinedKey);
    for (const NamedKey& key : kNamedKeys)
        names[static_cast<std::size_t>(key.scanCode)] = key.name;
    return names;
}

const NameArray& Names()
{
    static const NameArray names = BuildNames();
    return names;
}

} // namespace

const std::string& KeyNameTable::GetName(int scanCode)
{
    if (scanCode < 0 || scanCode >= kCount)
        return Names()[0];
    return Names()[static_cast<std::size_t>(scanCode)];
}

bool KeyNameTable::Find(const std::string& name, int& scanCode)
{
    const NameArray& names = Names();
    for (int code = 0; code < kCount; ++code) {
        if (names[static_cast<std::size_t>(code)] == name) {
            scanCode = code;
            return true;
        }
    }
    return false;
}
