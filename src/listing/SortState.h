#pragma once

// How the list is sorted and what the sort menus show: the key (0 name, 1 size, 2 type),
// the order, the checked key item, and the header toggle that alternates the order of
// header clicks (the first after start-up sorts descending) whatever the menus did.
struct SortState
{
    int key = 0;
    bool descending = false;
    int keyIndex = 0;
    bool headerToggle = false;
    bool sorted = false;

    void byMenu(int k)
    {
        keyIndex = k;
        key = k;
        descending = false;
        sorted = true;
    }
    void setDescending(bool on)
    {
        descending = on;
        sorted = true;
    }
    void byHeader(int column)
    {
        headerToggle = !headerToggle;
        key = column;
        descending = headerToggle;
        sorted = true;
        if (column >= 0)
            keyIndex = column;
    }
};
