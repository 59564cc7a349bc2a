"""Loads one of the repository's tool scripts (tools/**/*.py, named with hyphens) as a module."""

import importlib.machinery
import sys
import types


def load_tool(name, path):
    loader = importlib.machinery.SourceFileLoader(name, str(path))
    module = types.ModuleType(name)
    module.__file__ = str(path)
    # Registered before it runs: dataclasses and the like look their module up by name.
    sys.modules[name] = module
    loader.exec_module(module)
    return module
