"""Mutation testing for the project's C++ code: scripts/mutate.py is the entry."""
