#pragma once

// The tiled view's outer rectangle in twips, as the settings keep it.
struct TiledViewRect
{
    int left = 1000;
    int top = 1000;
    int width = 6500;
    int height = 6500;
};
