# Intune Remediations, remediation script: quillmerec mends each tool key with
# a finding (quotes around a path, else this Windows' Default line) and
# reports the keys afterwards. Exit 0: nothing is left to find.
[Console]::OutputEncoding = [Text.Encoding]::UTF8
$program = Join-Path $PSScriptRoot 'quillmerec.exe'
if (-not (Test-Path -LiteralPath $program)) { $program = Join-Path $env:ProgramW6432 'Quillmere\quillmerec.exe' }
& $program repair /stock
exit $LASTEXITCODE
