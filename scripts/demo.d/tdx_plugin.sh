# The TDX plug-in's two builds, told apart by the harness's check.
mkdir -p tdx32 tdx64
cp "$top/build/win32/TARVEX_TDX.dll" tdx32/
cp "$top/build/win64/TARVEX_TDX.dll" tdx64/
demo check tdx32/TARVEX_TDX.dll
demo check tdx64/TARVEX_TDX.dll
