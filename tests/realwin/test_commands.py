"""The main window's commands: search, reset and save."""
