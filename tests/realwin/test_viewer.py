"""The viewer: full screen, stepping, zoom, the pop-up menu and the slideshow."""
